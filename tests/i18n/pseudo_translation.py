#!/usr/bin/env python3
"""Writes a pseudo-translation for tests: every text of the given .ts file (its sources) translated as
"[" + source + "]", plural forms too, so a text on screen without brackets was never translated."""
import sys
import xml.etree.ElementTree as ElementTree

source_ts, output_ts = sys.argv[1], sys.argv[2]
tree = ElementTree.parse(source_ts)
root = tree.getroot()
root.set("language", "en")
for message in root.iter("message"):
    translation = message.find("translation")
    translation.attrib.clear()
    translation.text = None
    for form in list(translation):
        translation.remove(form)
    text = "[" + message.findtext("source") + "]"
    if message.get("numerus") == "yes":
        for _ in range(2):
            ElementTree.SubElement(translation, "numerusform").text = text
    else:
        translation.text = text
tree.write(output_ts, encoding="utf-8", xml_declaration=True)
