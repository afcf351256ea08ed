#!/usr/bin/env python3
"""Checks that includes between the folders of the program run one way.

Each folder below is one library, listed lowest first: a file may include
headers of its own folder and of the folders listed before it, never of one
listed after it. A folder of sources missing from the list fails too, so that
a new folder is given its place. Tests, fuzz targets and benchmarks stand
above everything and are not checked.
Usage: check_include_order.py [SOURCE_FOLDER]"""
import os
import re
import sys

ORDER = [
    "platform",
    "platform/mszip",
    "platform/cabinet",
    "platform/htmlhelp",
    "player/cabinet",
    "player/model",
    "player/moviebytes",
    "player/playback",
    "player/rescue",
    "player/text",
    "player/extraction",
    "player/titlepicture",
    "player/ui",
    "player",
    "launcher",
    "tools/moviewriter",
    "tools/ekconvert",
    "tools/packer",
]
CHECKED_TOPS = ("platform", "player", "launcher", "tools")
SOURCE = re.compile(r"\.(h|c|cpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def sources(root):
    for top in CHECKED_TOPS:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if SOURCE.search(name):
                    yield os.path.relpath(os.path.join(folder, name), root)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    files = sorted(sources(root))
    rank = {folder: i for i, folder in enumerate(ORDER)}
    faults = []
    by_name = {}
    for path in files:
        folder = os.path.dirname(path)
        if folder not in rank:
            faults.append(f"{path}: its folder {folder} has no place in the order of folders")
        by_name.setdefault(os.path.basename(path), []).append(path)
    for path in files:
        folder = os.path.dirname(path)
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                # Generated headers and those of other projects are not ours.
                targets = by_name.get(os.path.basename(match.group(1)), [])
                if not targets:
                    continue
                own = [t for t in targets if os.path.dirname(t) == folder]
                if own:
                    continue
                if len(targets) > 1:
                    faults.append(f"{path}:{number}: {match.group(1)} is the name of {', '.join(targets)}")
                    continue
                target = os.path.dirname(targets[0])
                if folder in rank and target in rank and rank[target] > rank[folder]:
                    faults.append(f"{path}:{number}: includes {targets[0]}, of {target}, which stands above {folder}")
    for fault in faults:
        print(fault)
    if faults:
        sys.exit(1)
    print(f"{len(files)} files in {len(ORDER)} folders: includes run one way")


main()
