#!/usr/bin/env python3
"""Lists function bodies longer than a limit (default 120 lines) in the game's folders.

Usage: scripts/long_functions.py [limit] [folders...]
A brace counter, not a parser: namespace and extern "C" blocks are transparent,
class/struct/enum bodies are skipped, strings and comments are ignored.
Exit status 1 when any function is over the limit."""
import os, re, sys

FOLDERS = ["platform", "engine", "saves", "render", "ui", "audio", "effects", "board",
           "bonuses", "totems", "challenges", "backgrounds", "hud", "field", "screens",
           "game", "app"]

def strip(text):
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i); j = n if j < 0 else j
            i = j; continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2); j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j)); i = j; continue
        if c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + c); i = j + 1; continue
        out.append(c); i += 1
    return "".join(out)

def functions(path):
    text = strip(open(path, encoding="latin-1").read())
    stack, line, start_of_stmt = [], 1, 0
    found = []
    for idx, ch in enumerate(text):
        if ch == "\n":
            line += 1
        elif ch == "{":
            head = text[start_of_stmt:idx]
            kind = "block"
            if not any(k == "func" for k, _, _ in stack):
                if re.search(r"\bnamespace\b|extern\s*\"\"", head):
                    kind = "ns"
                elif re.search(r"\b(class|struct|enum|union)\b[^()]*$", head) or re.search(r"=\s*$", head):
                    kind = "type"
                elif ")" in head:
                    kind = "func"
            name = " ".join(head.split())[-80:]
            stack.append((kind, line, name))
            start_of_stmt = idx + 1
        elif ch == "}":
            if stack:
                kind, l0, name = stack.pop()
                if kind == "func":
                    found.append((line - l0 + 1, l0, name))
            start_of_stmt = idx + 1
        elif ch == ";":
            start_of_stmt = idx + 1
    return found

def main():
    args = sys.argv[1:]
    limit = int(args.pop(0)) if args and args[0].isdigit() else 120
    folders = args or FOLDERS
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    bad = []
    for folder in folders:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for f in files:
                if f.endswith((".cpp", ".h", ".c")):
                    p = os.path.join(dirpath, f)
                    for length, l0, name in functions(p):
                        if length > limit:
                            bad.append((length, os.path.relpath(p, root), l0, name))
    for length, p, l0, name in sorted(bad, reverse=True):
        print(f"{length:5d}  {p}:{l0}  {name}")
    return 1 if bad else 0

if __name__ == "__main__":
    sys.exit(main())
