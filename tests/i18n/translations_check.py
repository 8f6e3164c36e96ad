#!/usr/bin/env python3
"""Fails when the translations are not ready to ship: the .ts files are out of date with the code
(scripts/update-translations --check), or a translation is unfinished, empty, lacks a plural form or
drops a placeholder of its source. Each problem is named with its context and source text."""
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# The plural forms each shipped language has (Qt's rules); norvane_en.ts holds only English forms.
PLURAL_FORMS = {"en": 2, "de": 2, "pl": 3}


def placeholders(text):
    return sorted(set(re.findall(r"%(?:\d+|n)", text)))


def problems_of(ts_file):
    language = ts_file.stem.split("_", 1)[1]
    found = []
    for context in ElementTree.parse(ts_file).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            where = f"{ts_file.name}: {name}: {source!r}"
            kind = translation.get("type")
            if kind in ("unfinished", "vanished", "obsolete"):
                found.append(f"{where} is {kind}")
                continue
            if message.get("numerus") == "yes":
                forms = [form.text or "" for form in translation.iter("numerusform")]
                if len(forms) != PLURAL_FORMS.get(language, len(forms)):
                    found.append(f"{where} has {len(forms)} plural forms, not {PLURAL_FORMS[language]}")
            else:
                forms = [translation.text or ""]
            for form in forms:
                if not form.strip():
                    found.append(f"{where} has an empty translation")
                elif placeholders(form.replace("%n", "")) != placeholders(source.replace("%n", "")):
                    found.append(f"{where}: {form!r} does not keep the placeholders of its source")
    return found


def main():
    check = subprocess.run([ROOT / "scripts" / "update-translations", "--check"], capture_output=True, text=True)
    problems = [check.stderr.strip()] if check.returncode != 0 else []
    ts_files = sorted((ROOT / "translations").glob("norvane_*.ts"))
    if not ts_files:
        problems.append("no translations/norvane_*.ts")
    for ts_file in ts_files:
        problems += problems_of(ts_file)
    for problem in problems:
        print(problem, file=sys.stderr)
    print(f"{len(ts_files)} translation files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
