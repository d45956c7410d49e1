#!/usr/bin/env python3
"""Checks the include structure of the source tree against a configured build.

usage: check_layers.py BUILD [TREE]

BUILD is a build folder configured with the windows (its compile_commands.json names every
compiled source and the target it belongs to); TREE is the source tree to read, by default the
one BUILD was configured from (a copy with the same layout may stand in for it).

1. A file includes only headers of its own folder or of folders in lower layers.
2. The sources of orvalis_core and its core_* modules, and every project header they reach,
   include neither Qt nor SDL.
3. Every .cpp and .h of the tree is compiled by some target or reached from one as a header.
Prints each offence as file:line (or file:) and exits 1 when there is one.
"""
import json
import os
import re
import shlex
import sys

# Lowest first; folders on one line share a layer and may not include each other.
LAYERS = [
    ["platform"],
    ["documents"],
    ["workspace"],
    ["images", "wave", "dxf", "model"],
    ["stereo", "mandel", "gl"],
    ["app"],
    ["tools"],
]
RANK = {folder: rank for rank, row in enumerate(LAYERS) for folder in row}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
FOREIGN = re.compile(r"^(Q[A-Za-z]*|SDL2?)(/|\.h$|$)")
SOURCE_EXT = (".cpp", ".h", ".cc", ".hpp")
OBJECT_DIR = re.compile(r"CMakeFiles/([^/]+)\.dir/")


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1), m.group(2)


def tree_files(root, skip):
    """Every C++ file of the tree, relative to it, leaving out build folders and hidden ones."""
    for dirpath, dirs, names in os.walk(root):
        dirs[:] = sorted(d for d in dirs if not d.startswith(".") and os.path.join(dirpath, d) not in skip
                         and not (dirpath == root and d.startswith("build")))
        for name in sorted(names):
            if name.endswith(SOURCE_EXT):
                yield os.path.relpath(os.path.join(dirpath, name), root)


def compiled_sources(build):
    """(source folder, {source: (targets, include folders)}) from the build's compile commands."""
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as f:
        top = next(line.split("=", 1)[1].strip() for line in f if line.startswith("CMAKE_HOME_DIRECTORY:"))
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        entries = json.load(f)
    sources = {}
    for e in entries:
        path = os.path.normpath(os.path.join(e["directory"], e["file"]))
        rel = os.path.relpath(path, top)
        if rel.startswith("..") or path.startswith(os.path.abspath(build) + os.sep):
            continue  # generated files
        args = shlex.split(e["command"])
        out = args[args.index("-o") + 1] if "-o" in args else ""
        m = OBJECT_DIR.search(out)
        dirs = []
        for i, a in enumerate(args):
            d = args[i + 1] if a in ("-I", "-isystem") and i + 1 < len(args) else a[2:] if a.startswith("-I") else None
            if d:
                d = os.path.relpath(os.path.normpath(os.path.join(e["directory"], d)), top)
                if not d.startswith(".."):
                    dirs.append(d)
        targets, folders = sources.setdefault(rel, (set(), []))
        targets.add(m.group(1) if m else "?")
        folders.extend(d for d in dirs if d not in folders)
    return top, sources


def resolve(root, rel, kind, target, folders):
    """The tree file an include names, or None for a header from outside the tree."""
    here = [os.path.dirname(rel)] if kind == '"' else []
    for d in here + folders:
        candidate = os.path.normpath(os.path.join(d, target))
        if not candidate.startswith("..") and os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def check_layers(root, files):
    errors = []
    for rel in files:
        folder = rel.split(os.sep, 1)[0]
        if folder not in RANK:
            continue
        for number, kind, target in includes(os.path.join(root, rel)):
            top = target.split("/", 1)[0]
            if kind != '"' or "/" not in target or top not in RANK:
                continue
            if top != folder and RANK[top] >= RANK[folder]:
                errors.append(f"{rel}:{number}: includes {target}, but {top}/ is not below {folder}/")
    return errors


def reach(root, starts, folders_of):
    """Walks the project includes from starts; yields (file, line, include, where it resolves)."""
    seen = set()
    todo = [(s, folders_of[s]) for s in starts]
    while todo:
        rel, folders = todo.pop()
        if rel in seen or not os.path.isfile(os.path.join(root, rel)):
            continue
        seen.add(rel)
        for number, kind, target in includes(os.path.join(root, rel)):
            found = resolve(root, rel, kind, target, folders)
            yield rel, number, target, found
            if found:
                todo.append((found, folders))


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip())
        return 2
    build = os.path.abspath(sys.argv[1])
    top, sources = compiled_sources(build)
    root = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else top
    files = list(tree_files(root, {build}))
    folders_of = {rel: folders for rel, (_, folders) in sources.items()}

    errors = check_layers(root, files)
    core = sorted(rel for rel, (targets, _) in sources.items()
                  if any(t == "orvalis_core" or t.startswith("core_") for t in targets))
    if not core:
        errors.append("no sources of orvalis_core in the build")
    for rel, number, target, found in reach(root, core, folders_of):
        if not found and FOREIGN.match(target):
            errors.append(f"{rel}:{number}: core code includes {target}")

    known = set(sources) | {found for _, _, _, found in reach(root, sorted(sources), folders_of) if found}
    errors += [f"{rel}: in no target of the build" for rel in files if rel not in known]
    for e in errors:
        print(e)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
