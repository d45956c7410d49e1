#!/bin/bash
# Makes PNG files of every colour type and bit depth, plain and interlaced (Adam7), under
# tests/data/png, each with the picture Pillow decodes from it (<name>.ppm, binary P6, top row
# first) and, for 16-bit grey, Pillow's grey values (<name>.g16, 16-bit little-endian) with
# their high bytes as the reference picture. The files are written here, byte by byte, as
# Pillow writes neither interlaced files nor most of these depths.
# Needs Debian's python3-pil. Run from anywhere:  bash tests/data/make_png.sh
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/png
rm -rf "$out"; mkdir -p "$out"
/usr/bin/python3 - "$out" <<'PY'
import random, struct, sys, zlib
from PIL import Image
out = sys.argv[1]
random.seed(25)
W, H = 13, 11
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}

def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

def pack(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    per = 8 // depth
    samples = samples + [0] * (-len(samples) % per)
    return bytes(sum(s << (8 - depth * (k + 1)) for k, s in enumerate(samples[i:i + per]))
                 for i in range(0, len(samples), per))

def write(name, colour, depth, interlaced, extra=b""):
    top = (1 << depth) - 1
    px = [[[random.randint(0, top) for _ in range(CHANNELS[colour])] for x in range(W)] for y in range(H)]
    palette = b""
    if colour == 3:
        palette = chunk(b"PLTE", bytes(random.randrange(256) for _ in range(3 * (top + 1))))
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    raw = b""
    for xs, ys, dx, dy in passes:
        if xs >= W or ys >= H:
            continue
        for y in range(ys, H, dy):
            raw += b"\0" + pack([s for x in range(xs, W, dx) for s in px[y][x]], depth)
    with open(f"{out}/{name}", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, depth, colour, 0, 0, int(interlaced)))
                + palette + extra + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
    im = Image.open(f"{out}/{name}")
    if colour in (0, 4) and depth == 16:
        values = [px[y][x][0] for y in range(H) for x in range(W)]
        if im.mode in ("I", "I;16"):
            values = list(im.getdata())
        open(f"{out}/{name}.g16", "wb").write(b"".join(struct.pack("<H", v) for v in values))
        high = Image.new("L", (W, H))
        high.putdata([v >> 8 for v in values])
        im = high
    im.convert("RGB").save(f"{out}/{name}.ppm")

for colour, depths in ((0, (1, 2, 4, 8, 16)), (2, (8, 16)), (3, (1, 2, 4, 8)), (4, (8, 16)), (6, (8, 16))):
    for depth in depths:
        for interlaced in (False, True):
            write(f"c{colour}_{depth}{'_i' if interlaced else ''}.png", colour, depth, interlaced)
# Transparent colours, which the readers drop, leaving the stored colour.
write("c3_8_trns.png", 3, 8, False, chunk(b"tRNS", bytes(range(0, 256, 9))))
write("c2_16_trns_i.png", 2, 16, True, chunk(b"tRNS", struct.pack(">HHH", 7, 9, 11)))
PY
