#!/usr/bin/env python3
"""Fails when a file of src/ includes a folder on a higher floor.

The floors and the known exceptions are read from DEVELOPING.md: the fenced
block marked `layers` lists the folders, lowest first; the block marked
`layer-exceptions` lists the upward includes that are still allowed, one
`from-file -> included-file` a line. A folder's view/ is a floor of its own.
An exception that no longer occurs fails the check as well, so the list
only ever shrinks.

  check_layers.py [repository root]
"""
import os
import re
import sys

INCLUDE = re.compile(r'\s*#\s*include\s+"([^"]+)"')


def fenced_block(text, tag):
    m = re.search(r"^```" + re.escape(tag) + r"\s*\n(.*?)^```", text, re.S | re.M)
    if not m:
        sys.exit(f"DEVELOPING.md has no ```{tag} block")
    lines = []
    for line in m.group(1).splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            lines.append(line)
    return lines


def folder(path):
    parts = path.split("/")
    if len(parts) >= 3 and parts[1] == "view":
        return parts[0] + "/view"
    return parts[0]


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))
    with open(os.path.join(root, "DEVELOPING.md"), encoding="utf-8") as f:
        guide = f.read()
    floors = fenced_block(guide, "layers")
    floor_of = {name: i for i, name in enumerate(floors)}
    allowed = set()
    for line in fenced_block(guide, "layer-exceptions"):
        source, _, target = (part.strip() for part in line.partition("->"))
        allowed.add((source, target))

    src = os.path.join(root, "src")
    problems = []
    seen = set()
    for directory, _, files in sorted(os.walk(src)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(directory, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            own = folder(rel)
            if own not in floor_of:
                problems.append(f"{rel}: folder {own} is on no floor of DEVELOPING.md")
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m or "/" not in m.group(1):
                        continue
                    target = m.group(1)
                    if not os.path.exists(os.path.join(src, target)):
                        continue
                    other = folder(target)
                    if other not in floor_of:
                        problems.append(f"{rel}:{number}: includes {target} of folder {other}, on no floor")
                    elif floor_of[other] > floor_of[own]:
                        if (rel, target) in allowed:
                            seen.add((rel, target))
                        else:
                            problems.append(f"{rel}:{number}: {own} includes {target} of the higher floor {other}")
    for source, target in sorted(allowed - seen):
        problems.append(f"known exception {source} -> {target} no longer occurs: take it off the list")
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layering problem(s); floors and exceptions are in DEVELOPING.md")
        return 1
    print(f"layering clean: {len(floors)} floors, {len(seen)} known exceptions")
    return 0


if __name__ == "__main__":
    sys.exit(main())
