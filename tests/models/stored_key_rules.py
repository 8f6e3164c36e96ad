#!/usr/bin/env python3
"""Stored preference keys are named only through their table (src/core/stored_keys.cpp).

Fails, naming the file and line, when code under the given folders spells a stored name as a string,
when anything but AccountStore names the accounts key, or when anything but AccountStore makes up a token
identifier. Comment lines are not code and are skipped."""
import pathlib
import re
import sys

TABLE = "src/core/stored_keys.cpp"
ACCOUNT_STORE = "src/models/account_store.cpp"
ENTRY = re.compile(r'\{\s*StoredKey::(\w+),\s*QStringLiteral\("([^"]+)"\)')
RULES = [
    # (pattern, files allowed to contain it, what it is)
    (re.compile(r"StoredKey::accounts\b"), {TABLE, "src/core/stored_keys.h", ACCOUNT_STORE},
     "the accounts key is AccountStore's alone"),
    (re.compile(r'"github_token_'), {ACCOUNT_STORE}, "token identifiers are made by AccountStore::newAccount"),
]


def main() -> int:
    root = pathlib.Path(sys.argv[1])
    folders = sys.argv[2:]
    table = (root / TABLE).read_text(encoding="utf-8")
    names = ENTRY.findall(table)
    if len(names) < 2:
        print(f"{TABLE}: cannot find the table's entries; update {__file__}")
        return 1
    rules = list(RULES)
    for key, name in names:
        rules.append((re.compile('"' + re.escape(name)), {TABLE}, f"the stored name of StoredKey::{key}"))

    faults = []
    for folder in folders:
        for source in sorted((root / folder).rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            relative = source.relative_to(root).as_posix()
            for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                if line.lstrip().startswith("//"):
                    continue
                for pattern, allowed, what in rules:
                    if relative not in allowed and pattern.search(line):
                        faults.append(f"{relative}:{number}: {what}: use the table ({TABLE})")
    print("\n".join(faults) if faults else f"{len(names)} stored keys are named through their table")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
