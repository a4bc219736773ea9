#!/usr/bin/env python3
"""Checks that the game's folders form layers.

Usage: scripts/check_layers.py [root]
Every `#include "folder/..."` in a game folder must name its own folder or a folder
on a lower floor; folders on one floor do not include each other unless SIDEWAYS
allows the pair. Each folder's CMakeLists may link only its own floor's allowed
neighbours and the floors below. A source folder at the top of the tree that is
not on any floor fails too, so a new subsystem gets its place here first.
tools/, tests/ and bench/ sit above every floor and may include anything.
Exit status 1 with one line per offence (file, line, the include)."""
import os, re, sys

# The floors, bottom to top. The README's Layout section shows the same order.
FLOORS = [
    ["platform"],
    ["engine"],
    ["saves"],
    ["render"],
    ["ui"],
    ["audio", "effects"],
    ["board"],
    ["bonuses", "totems", "challenges", "backgrounds", "hud"],
    ["field"],
    ["screens"],
    ["game"],
    ["app"],
]
# Pairs (from, to) of one floor that may include each other's headers.
SIDEWAYS = set()
# Folders above every floor, and folders that hold no game code.
ABOVE = {"tools", "tests", "bench"}
NOT_CODE = {"data", "cmake", "scripts"}  # and build folders (they hold a CMakeCache.txt)

FLOOR_OF = {folder: n for n, floor in enumerate(FLOORS) for folder in floor}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"')
SOURCES = (".h", ".hpp", ".cpp", ".c", ".inl")


def allowed(source, target):
    if source == target:
        return True
    if target not in FLOOR_OF:
        return False
    if FLOOR_OF[target] < FLOOR_OF[source]:
        return True
    return FLOOR_OF[target] == FLOOR_OF[source] and (source, target) in SIDEWAYS


def why(source, target):
    if target not in FLOOR_OF:
        return "%s is above every floor" % target if target in ABOVE else "%s is on no floor" % target
    where = "the same floor as" if FLOOR_OF[target] == FLOOR_OF[source] else "a higher floor than"
    return "%s (floor %d) is on %s %s (floor %d)" % (
        target, FLOOR_OF[target] + 1, where, source, FLOOR_OF[source] + 1)


def check_includes(root, folder, problems):
    for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
        dirnames.sort()
        for name in sorted(filenames):
            if not name.endswith(SOURCES):
                continue
            path = os.path.join(dirpath, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m and not allowed(folder, m.group(1)):
                        problems.append("%s:%d: %s -- %s" % (
                            os.path.relpath(path, root), number, line.strip(), why(folder, m.group(1))))


def library_folder(name):
    """The folder a CMake target of the game belongs to (platform_gfx -> platform)."""
    if name.startswith("platform"):
        return "platform"
    if name == "app_entry":
        return "app"
    return name if name in FLOOR_OF else None


def check_cmake(root, folder, problems):
    path = os.path.join(root, folder, "CMakeLists.txt")
    if not os.path.exists(path):
        return
    text = open(path, encoding="utf-8").read()
    text = re.sub(r"#[^\n]*", "", text)
    names = []
    for m in re.finditer(r"orb_library\s*\(([^)]*)\)", text):
        words = m.group(1).split()
        if "DEPS" in words:
            for w in words[words.index("DEPS") + 1:]:
                if w.isupper():
                    break
                names.append(w)
    for m in re.finditer(r"target_link_libraries\s*\(\s*\S+([^)]*)\)", text):
        names += [w for w in m.group(1).split() if not w.isupper()]
    for name in names:
        target = library_folder(name)
        if target and not allowed(folder, target):
            problems.append("%s: links %s -- %s" % (
                os.path.relpath(path, root), name, why(folder, target)))


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    problems = []
    for entry in sorted(os.listdir(root)):
        full = os.path.join(root, entry)
        if (entry.startswith(".") or not os.path.isdir(full) or entry in FLOOR_OF
                or entry in ABOVE or entry in NOT_CODE
                or os.path.exists(os.path.join(full, "CMakeCache.txt"))):
            continue
        if any(n.endswith(SOURCES) for _, _, files in os.walk(full) for n in files):
            problems.append("%s/: a source folder on no floor (add it to FLOORS)" % entry)
    for folder in FLOOR_OF:
        if os.path.isdir(os.path.join(root, folder)):
            check_includes(root, folder, problems)
            check_cmake(root, folder, problems)
    for p in problems:
        print(p)
    if problems:
        print("%d include(s) or link(s) break the layer order" % len(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
