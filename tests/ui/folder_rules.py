#!/usr/bin/env python3
"""The screens' folders depend one way only: widgets <- pulls, activity, settings <- panel <- tray.

Fails, naming the file and line, when a file includes from a folder it may not use."""
import pathlib
import re
import sys

ALLOWED = {
    "widgets": set(),
    "pulls": {"widgets"},
    "activity": {"widgets"},
    "settings": {"widgets"},
    "panel": {"widgets", "pulls", "activity", "settings"},
    "tray": {"widgets", "pulls", "activity", "settings", "panel"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"ui/([^/"]+)/')


def main() -> int:
    ui = pathlib.Path(sys.argv[1])
    faults = []
    folders = sorted(p for p in ui.iterdir() if p.is_dir())
    for folder in folders:
        if folder.name not in ALLOWED:
            faults.append(f"{folder}: a folder the rules do not know; add it to {__file__}")
            continue
        for source in sorted(folder.rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                if match and match.group(1) != folder.name and match.group(1) not in ALLOWED[folder.name]:
                    faults.append(f"{source}:{number}: {folder.name} may not include from {match.group(1)}")
    loose = sorted(p.name for p in ui.glob("*.*") if p.suffix in (".h", ".cpp"))
    if loose:
        faults.append(f"{ui}: files outside a screen's folder: {', '.join(loose)}")
    print("\n".join(faults) if faults else f"{len(folders)} folders keep their dependencies")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
