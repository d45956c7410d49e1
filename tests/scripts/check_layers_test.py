#!/usr/bin/env python3
"""scripts/check_layers.py passes this tree and names each fault planted in a copy of it.

usage: check_layers_test.py BUILD   (a build configured with the windows)
"""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TREE = os.path.normpath(os.path.join(HERE, "..", ".."))
CHECK = os.path.join(TREE, "scripts", "check_layers.py")

# (file, line to put at line 2, what the check must print)
PLANTS = [
    ("images/gif_loader.cpp", "#include <QImage>", "images/gif_loader.cpp:2: core code includes QImage"),
    ("images/jpeg_loader.cpp", "#include <SDL2/SDL.h>", "images/jpeg_loader.cpp:2: core code includes SDL2/SDL.h"),
    ("stereo/make_stereo.cpp", '#include "QPainter"', "stereo/make_stereo.cpp:2: core code includes QPainter"),
    # A header no core source lists, only reaches.
    ("platform/little_endian.h", "#include <QtEndian>", "platform/little_endian.h:2: core code includes QtEndian"),
    ("images/dib.h", '#include "stereo/make_stereo.h"',
     "images/dib.h:2: includes stereo/make_stereo.h, but stereo/ is not below images/"),
    ("images/stray_reader.cpp", "int stray;", "images/stray_reader.cpp: in no target of the build"),
]


def run(build, tree=None):
    r = subprocess.run([sys.executable, CHECK, build] + ([tree] if tree else []), capture_output=True, text=True)
    return r.returncode, r.stdout + r.stderr


def main():
    build = os.path.abspath(sys.argv[1])
    failures = []
    code, out = run(build)
    if code != 0:
        failures.append(f"the tree itself fails the check:\n{out}")
    keep = shutil.ignore_patterns(".*", "build*", "data", "*.png", "*.bmp", "*.gif", "*.jpg", "*.wav", "*.dxf")
    with tempfile.TemporaryDirectory() as tmp:
        for name in sorted(os.listdir(TREE)):
            src = os.path.join(TREE, name)
            if os.path.isdir(src) and not name.startswith((".", "build")):
                shutil.copytree(src, os.path.join(tmp, name), ignore=keep)
        for rel, line, expected in PLANTS:
            path = os.path.join(tmp, rel)
            old = open(path).read() if os.path.exists(path) else None
            lines = (old or "\n").splitlines(keepends=True)
            with open(path, "w") as f:
                f.write("".join(lines[:1] + [line + "\n"] + lines[1:]))
            code, out = run(build, tmp)
            if code != 1 or expected not in out.splitlines():
                failures.append(f"{rel} with {line!r}: exit {code}, expected the line {expected!r}, got:\n{out}")
            if old is None:
                os.remove(path)
            else:
                with open(path, "w") as f:
                    f.write(old)
        code, out = run(build, tmp)
        if code != 0:
            failures.append(f"the restored copy fails:\n{out}")
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
