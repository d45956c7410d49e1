#!/bin/bash
# Makes the small GIF and JPEG test files under tests/data/gif and tests/data/jpeg, each with
# a reference picture decoded by Pillow (<name>.ppm, binary P6, top row first).
# Needs Debian's python3-pil and ImageMagick (convert). Run from anywhere:
#   bash tests/data/make_gif_jpeg.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
gif=$here/gif
jpeg=$here/jpeg
mkdir -p "$gif" "$jpeg"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 - "$gif" "$jpeg" "$tmp" <<'PY'
import random, sys
from PIL import Image
gif, jpeg, tmp = sys.argv[1:4]
random.seed(4)

def scene(w, h):
    """An RGB picture with gradients, edges and some noise."""
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            r = (x * 255) // max(1, w - 1)
            g = (y * 255) // max(1, h - 1)
            b = 255 if (x // 7 + y // 5) % 2 else 40
            if random.random() < 0.1:
                r, g, b = random.randrange(256), random.randrange(256), random.randrange(256)
            px[x, y] = (r, g, b)
    return im

def paletted(w, h, colours):
    return scene(w, h).quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)

# GIFs written by Pillow: several sizes and colour-table sizes (optimize shrinks the table to
# the colours used, and so the LZW code size), interlaced or not.
for name, w, h, colours, interlace, optimize in [
        ("p2_17x9", 17, 9, 2, False, True), ("p4_33x21_il", 33, 21, 4, True, True),
        ("p16_64x48", 64, 48, 16, False, True), ("p256_97x61", 97, 61, 256, False, False),
        ("p256_97x61_il", 97, 61, 256, True, False), ("p8_1x1", 1, 1, 8, False, True),
        ("p256_2100x3", 2100, 3, 256, False, False)]:
    paletted(w, h, colours).save(f"{gif}/{name}.gif", interlace=interlace, optimize=optimize)
# A GIF89a with a comment before the image.
paletted(40, 30, 16).save(f"{gif}/p16_40x30_comment.gif", comment=b"made for tests", optimize=True, interlace=False)
# The same picture with its colours moved into a local table, and a global table of greys.
src = open(f"{gif}/p16_64x48.gif", "rb").read()
n = 3 * 2 ** ((src[10] & 7) + 1)
table = src[13:13 + n]
greys = bytes(v for i in range(n // 3) for v in (i, i, i))
p = src.index(b"\x2c", 13 + n)
local = src[:13] + greys + src[13 + n:p] + src[p:p + 9] + bytes([0x80 | (src[10] & 7)]) + table + src[p + 10:]
open(f"{gif}/local_table_64x48.gif", "wb").write(local)

# JPEGs written by Pillow: subsamplings, odd sizes, greyscale, progressive, CMYK.
for name, w, h, kw, mode in [
        ("rgb420_101x50", 101, 50, dict(subsampling=2), "RGB"), ("rgb444_64x48", 64, 48, dict(subsampling=0), "RGB"),
        ("rgb422_33x17", 33, 17, dict(subsampling=1), "RGB"), ("grey_45x31", 45, 31, {}, "L"),
        ("progressive_80x60", 80, 60, dict(progressive=True), "RGB"), ("cmyk_40x24", 40, 24, {}, "CMYK"),
        ("rgb_1x1", 1, 1, {}, "RGB"), ("restart_48x40", 48, 40, dict(restart_marker_blocks=2), "RGB")]:
    im = scene(w, h).convert(mode)
    im.save(f"{jpeg}/{name}.jpg", quality=85, **kw)
PY

# GIFs written by ImageMagick: interlaced with a graphic-control extension, at heights that end
# the interlace passes early.
convert -size 23x19 gradient:red-blue -colors 16 -interlace GIF "$gif/im_gce_23x19_il.gif"
convert -size 5x16 gradient:yellow-navy -colors 32 -interlace GIF "$gif/im_5x16_il.gif"
convert -size 3x3 xc:orange -fill navy -draw "point 1,1" -colors 4 -interlace GIF "$gif/im_3x3_il.gif"
convert -size 30x10 xc:orange -fill navy -draw "rectangle 5,2 20,7" -colors 4 "$gif/im_2col_30x10.gif"
convert -seed 7 -size 40x20 plasma:fractal -colors 8 +dither "$gif/im_8col_40x20.gif"

# References: Pillow's reading of every file, as RGB.
/usr/bin/python3 - "$gif" "$jpeg" <<'PY'
import glob, sys
from PIL import Image
for folder in sys.argv[1:3]:
    for f in sorted(glob.glob(folder + "/*.gif") + glob.glob(folder + "/*.jpg")):
        with Image.open(f) as im:
            im.convert("RGB").save(f[: f.rfind(".")] + ".ppm")
PY
ls -l "$gif" "$jpeg"
