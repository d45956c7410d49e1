#!/usr/bin/env python3
"""Checks the include structure of the source tree.

1. A file includes only headers of its own folder or of folders in lower layers.
2. The sources of orvalis_core (the orvalis_core_module lists) and every project header
   they include, directly or not, include neither Qt nor SDL.
Prints each offence as file:line and exits 1 when there is one.
"""
import os
import re
import sys

# Lowest first; folders on one line share a layer and may not include each other.
LAYERS = [
    ["platform"],
    ["documents"],
    ["workspace"],
    ["images", "wave", "dxf"],
    ["stereo", "mandel", "gl"],
    ["app"],
    ["tools"],
]
RANK = {folder: rank for rank, row in enumerate(LAYERS) for folder in row}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
FOREIGN = re.compile(r"^(Q[A-Za-z]*|SDL2?)(/|\.h$|$)")
SOURCE_EXT = (".cpp", ".h", ".cc", ".hpp")


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1), m.group(2)


def check_layers(root):
    errors = []
    for folder in RANK:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith(SOURCE_EXT):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root)
                for number, kind, target in includes(path):
                    top = target.split("/", 1)[0]
                    if kind != '"' or "/" not in target or top not in RANK:
                        continue
                    if top != folder and RANK[top] >= RANK[folder]:
                        errors.append(f"{rel}:{number}: includes {target}, but {top}/ is not below {folder}/")
    return errors


def core_sources(root):
    call = re.compile(r"orvalis_core_module\(\s*(\w+)([^)]*)\)", re.S)
    for dirpath, _, names in os.walk(root):
        if "/build" in dirpath or "/." in dirpath:
            continue
        for name in names:
            if name != "CMakeLists.txt" and not name.endswith(".cmake"):
                continue
            text = open(os.path.join(dirpath, name), encoding="utf-8").read()
            text = re.sub(r"#[^\n]*", "", text)
            for m in call.finditer(text):
                for src in m.group(2).split():
                    if src.endswith(SOURCE_EXT):
                        yield os.path.relpath(os.path.join(dirpath, src), root)


def check_core(root):
    errors = []
    seen = set()
    todo = list(core_sources(root))
    while todo:
        rel = todo.pop()
        if rel in seen:
            continue
        seen.add(rel)
        path = os.path.join(root, rel)
        if not os.path.exists(path):
            continue
        for number, kind, target in includes(path):
            if FOREIGN.match(target):
                errors.append(f"{rel}:{number}: core code includes {target}")
            elif kind == '"':
                local = os.path.join(os.path.dirname(rel), target)
                todo.append(target if os.path.exists(os.path.join(root, target)) else local)
    if not seen:
        errors.append("no orvalis_core_module sources found")
    return errors


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    errors = check_layers(root) + check_core(root)
    for e in errors:
        print(e)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
