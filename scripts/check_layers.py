#!/usr/bin/env python3
"""Checks that the game's folders form layers.

Usage: scripts/check_layers.py [root]
       scripts/check_layers.py --self-test
Every `#include "folder/..."` in a game folder must name its own folder or a folder
on a lower floor; folders on one floor do not include each other unless SIDEWAYS
allows the pair. Each folder's CMakeLists may link only its own floor's allowed
neighbours and the floors below. A source folder at the top of the tree that is
not on any floor fails too, so a new subsystem gets its place here first.
The rules hold for names too: a folder does not forward-declare a class that only
a folder it may not include defines (it declares an interface of its own instead),
and a class's members are defined in the folder that declares the class.
tools/, tests/ and bench/ sit above every floor and may include anything.
Exit status 1 with one line per offence (file, line, the include or the name).
--self-test plants one offence of each kind in a scratch tree and checks that
each is caught and that the clean tree passes."""
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
# A class or struct defined here (not a forward declaration, not an enum class).
CLASS_DEFINITION = re.compile(
    r'^\s*(?:template\s*<[^>]*>\s*)?(?:class|struct)\s+(?:\w+\s+)?([A-Za-z_]\w*)\s*(?:final\s*)?(?:[:{]|$)')
FORWARD_DECLARATION = re.compile(r'^\s*(?:class|struct)\s+([A-Za-z_]\w*)\s*;')
# An out-of-class member definition at the left margin: `Type CName::Member(`.
MEMBER_DEFINITION = re.compile(r'^(?![\s/*#])(?!return\b)[^;=(]*?\b([A-Z]\w*)(?:<[^>]*>)?::(~?\w+)\s*\(')
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


def source_files(root, folder):
    for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
        dirnames.sort()
        for name in sorted(filenames):
            if name.endswith(SOURCES):
                yield os.path.join(dirpath, name)


def class_homes(root):
    """Each class name defined in a game folder, with the folders that define it."""
    homes = {}
    for folder in FLOOR_OF:
        for path in source_files(root, folder):
            with open(path, encoding="utf-8", errors="replace") as f:
                for line in f:
                    m = CLASS_DEFINITION.match(line)
                    if m and not line.rstrip().endswith(";"):
                        homes.setdefault(m.group(1), set()).add(folder)
    return homes


def check_names(root, folder, homes, problems):
    for path in source_files(root, folder):
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                where = "%s:%d: %s -- " % (os.path.relpath(path, root), number, line.strip())
                m = FORWARD_DECLARATION.match(line)
                if m and m.group(1) in homes:
                    home = homes[m.group(1)]
                    if folder not in home and not any(allowed(folder, h) for h in home):
                        problems.append(where + "%s is a class of %s: %s" % (
                            m.group(1), "/".join(sorted(home)), why(folder, sorted(home)[0])))
                m = MEMBER_DEFINITION.match(line)
                if m and m.group(1) in homes and folder not in homes[m.group(1)]:
                    problems.append(where + "a member of %s, which %s declares, defined in %s" % (
                        m.group(1), "/".join(sorted(homes[m.group(1)])), folder))


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


def check(root):
    problems = []
    for entry in sorted(os.listdir(root)):
        full = os.path.join(root, entry)
        if (entry.startswith(".") or not os.path.isdir(full) or entry in FLOOR_OF
                or entry in ABOVE or entry in NOT_CODE
                or os.path.exists(os.path.join(full, "CMakeCache.txt"))):
            continue
        if any(n.endswith(SOURCES) for _, _, files in os.walk(full) for n in files):
            problems.append("%s/: a source folder on no floor (add it to FLOORS)" % entry)
    homes = class_homes(root)
    for folder in FLOOR_OF:
        if os.path.isdir(os.path.join(root, folder)):
            check_includes(root, folder, problems)
            check_cmake(root, folder, problems)
            check_names(root, folder, homes, problems)
    return problems


# The scratch tree of the self-test: a clean board/ and game/, and one file per
# planted offence with the words its report line must hold.
CLEAN_TREE = {
    "board/Grid.h": "class CGrid\n{\npublic:\n    void Fill();\n};\n",
    "board/Grid.cpp": '#include "board/Grid.h"\n\nvoid CGrid::Fill()\n{\n}\n',
    "game/Game.h": '#include "board/Grid.h"\nclass CGrid;\n\nclass CGame : public CGrid\n{\n};\n',
    "game/Game.cpp": '#include "game/Game.h"\n// CGrid::Fill() is the board\'s.\n',
}
PLANTED = [
    ("board/Up.h", '#include "game/Game.h"\n', "game (floor 11) is on a higher floor"),
    ("board/Ahead.h", "class CGame;\n", "CGame is a class of game"),
    ("game/Steal.cpp", "inline void CGrid::Fill()\n{\n}\n", "a member of CGrid, which board declares"),
]


def self_test():
    import tempfile

    def write(root, files):
        for name, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(root, name), "w", encoding="utf-8") as f:
                f.write(text)

    failures = []
    with tempfile.TemporaryDirectory() as root:
        write(root, CLEAN_TREE)
        if check(root):
            failures.append("the clean tree fails: %s" % check(root))
        for name, text, words in PLANTED:
            write(root, {name: text})
            found = check(root)
            if len(found) != 1 or words not in found[0]:
                failures.append("%s: expected one offence with %r, got %s" % (name, words, found))
            os.remove(os.path.join(root, name))
    for f in failures:
        print("self-test:", f)
    print("self-test: %s" % ("failed" if failures else "%d planted offences caught" % len(PLANTED)))
    return 1 if failures else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print("%d include(s), link(s) or name(s) break the layer order" % len(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
