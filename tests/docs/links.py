#!/usr/bin/env python3
"""Every relative link of the repository's Markdown pages leads somewhere: the file or folder exists, and an
anchor (#section) names a heading of the page it points into, as GitHub makes anchors from headings.

Usage: links.py SOURCE_DIR. Fails, naming the page, line and link, on each one that leads nowhere."""
import os
import re
import sys

SKIP_DIRS = {".git", "build", "node_modules"}
LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^\s{0,3}(#{1,6})\s+(.*?)\s*#*\s*$")


def lines_outside_fences(text):
    fenced = False
    for number, line in enumerate(text.splitlines(), 1):
        if FENCE.match(line):
            fenced = not fenced
        elif not fenced:
            yield number, line


def anchor(heading):
    """GitHub's anchor for a heading: lower case, punctuation dropped (letters, digits, '-' and '_' stay),
    spaces turned into '-'."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link in a heading anchors by its text
    return re.sub(r"[^\w\- ]", "", text.strip().lower()).replace(" ", "-")


def anchors(path, cache={}):
    if path not in cache:
        found, seen = set(), {}
        with open(path, encoding="utf-8") as f:
            for _, line in lines_outside_fences(f.read()):
                match = HEADING.match(line)
                if match:
                    base = anchor(match.group(2))
                    seen[base] = seen.get(base, 0) + 1
                    found.add(base if seen[base] == 1 else "%s-%d" % (base, seen[base] - 1))
        cache[path] = found
    return cache[path]


def pages(root):
    for folder, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS and not (folder == root and d == "fuzz"))
        for name in sorted(files):
            if name.endswith(".md"):
                yield os.path.join(folder, name)


def check(root):
    faults, count = [], 0
    for page in pages(root):
        with open(page, encoding="utf-8") as f:
            text = f.read()
        for number, line in lines_outside_fences(text):
            for target in LINK.findall(re.sub(r"`[^`]*`", "", line)):  # not in inline code
                if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I):  # https:, mailto: and the like
                    continue
                count += 1
                where = "%s:%d: %s" % (os.path.relpath(page, root), number, target)
                path, _, fragment = target.partition("#")
                resolved = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
                if not resolved.startswith(os.path.abspath(root) + os.sep) and resolved != os.path.abspath(root):
                    faults.append(where + " (leads outside the repository)")
                elif not os.path.exists(resolved):
                    faults.append(where + " (no such file)")
                elif fragment:
                    if not resolved.endswith(".md"):
                        faults.append(where + " (an anchor into a page that is not Markdown)")
                    elif fragment not in anchors(resolved):
                        faults.append(where + " (no heading makes that anchor)")
    return faults, count


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../.."))
    faults, count = check(root)
    print("\n".join(faults) if faults else "%d relative links lead somewhere" % count)
    return 1 if faults or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
