#!/bin/sh
# Makes the BMP test files in tests/data/bmp/ and, beside each, NAME.rgb: the pixels as
# ImageMagick reads them back (top row first, 3 bytes red, green, blue per pixel).
# ImageMagick writes most files; the forms it cannot write (RLE4, top-down, 32-bit
# BI_RGB, 16-bit BI_RGB, masks after a 40-byte header, a short colour table) are made
# from its files by the Python below, which only moves bytes.
# Needs ImageMagick 6 (convert) and python3. Run from anywhere; the files are rewritten.
set -eu
out=$(cd "$(dirname "$0")" && pwd)/bmp
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 29 x 13: an odd width, so every bit count has row padding. Flat areas give RLE runs,
# the plasma corner gives absolute runs and many colours.
$convert -size 29x13 xc:navy -fill yellow -draw "rectangle 3,2 12,9" -fill red -draw "line 0,12 28,0" \
    \( -size 9x13 -seed 3 plasma:fractal \) -geometry +20+0 -composite "$tmp/src.png"

cd "$out"
$convert "$tmp/src.png" -colors 2 -type Palette -compress None BMP3:pal1.bmp
$convert "$tmp/src.png" -colors 16 -type Palette -compress None BMP3:pal4.bmp
$convert "$tmp/src.png" -colors 200 -type Palette -compress None BMP3:pal8.bmp
$convert "$tmp/src.png" -colors 200 -type Palette -compress RLE BMP3:rle8.bmp
$convert "$tmp/src.png" -type TrueColor BMP3:rgb24.bmp
$convert "$tmp/src.png" -colors 2 -type Palette -compress None BMP2:core1.bmp
$convert "$tmp/src.png" -colors 16 -type Palette -compress None BMP2:core4.bmp
$convert "$tmp/src.png" -colors 200 -type Palette -compress None BMP2:core8.bmp
$convert "$tmp/src.png" -type TrueColor BMP2:core24.bmp
$convert "$tmp/src.png" -define bmp:subtype=RGB555 BMP:rgb16-555-v5.bmp
$convert "$tmp/src.png" -define bmp:subtype=RGB565 BMP:rgb16-565-v5.bmp
$convert "$tmp/src.png" -alpha set -channel A -evaluate set 50% +channel -define bmp:subtype=ARGB4444 BMP:rgba16-4444-v5.bmp
$convert "$tmp/src.png" -alpha set BMP:rgba32-v5.bmp

python3 - <<'EOF'
import struct

def load(name):
    return bytearray(open(name, "rb").read())

def save(name, d):
    struct.pack_into("<I", d, 2, len(d))
    open(name, "wb").write(bytes(d))

def info(d):
    w, h, planes, bc, comp = struct.unpack_from("<iiHHI", d, 18)
    return w, h, bc, comp, struct.unpack_from("<I", d, 10)[0]

def rows(d):
    w, h, bc, comp, off = info(d)
    stride = (w * bc + 31) // 32 * 4
    return [bytes(d[off + i * stride: off + (i + 1) * stride]) for i in range(h)]  # bottom row first

def with_bits(d, off, bits):
    return bytearray(d[:off]) + bits

# Top-down: the same rows in the other order and a negative height.
for src, dst in (("rgb24.bmp", "rgb24-topdown.bmp"), ("pal8.bmp", "pal8-topdown.bmp")):
    d = load(src)
    w, h, bc, comp, off = info(d)
    t = with_bits(d, off, b"".join(reversed(rows(d))))
    struct.pack_into("<i", t, 22, -h)
    save(dst, t)

# 32-bit BI_RGB: 24-bit pixels with a junk fourth byte, which must be ignored.
d = load("rgb24.bmp")
w, h, bc, comp, off = info(d)
bits = b"".join(b"".join(r[3 * x:3 * x + 3] + bytes([0xA5]) for x in range(w)) for r in rows(d))
t = with_bits(d, off, bits)
struct.pack_into("<HI", t, 28, 32, 0)
struct.pack_into("<I", t, 34, len(bits))
save("rgb32.bmp", t)

# 16-bit files with a 40-byte header, from ImageMagick's 5-5-5 and 5-6-5 ones: BI_RGB
# (default 5-5-5 masks) and BI_BITFIELDS with the three masks after the header.
for src, dst, comp in (("rgb16-555-v5.bmp", "rgb16-555.bmp", 0), ("rgb16-565-v5.bmp", "rgb16-565.bmp", 3)):
    d = load(src)
    w, h, bc, _, off = info(d)
    masks = d[54:66]
    hdr = bytearray(d[:54])
    struct.pack_into("<I", hdr, 14, 40)
    struct.pack_into("<I", hdr, 30, comp)
    struct.pack_into("<II", hdr, 46, 0, 0)
    if comp == 3:
        hdr += masks
    struct.pack_into("<I", hdr, 10, len(hdr))
    save(dst, hdr + b"".join(rows(d)))

# 8-bit with colours-used below 256 and only that many table entries in the file: the
# bits follow the short table, and the file ends before a full-size table would.
d = load("pal8.bmp")
w, h, bc, comp, off = info(d)
used = max(max(r[:w]) for r in rows(d)) + 1
hdr = bytearray(d[:54 + 4 * used])
struct.pack_into("<I", hdr, 10, len(hdr))
struct.pack_into("<II", hdr, 46, used, 0)
save("pal8-used.bmp", hdr + b"".join(rows(d)))

# RLE4 from the 4-bit file: encoded runs and absolute runs. A second file adds the
# skip codes: a delta over the middle of a row and rows ended early; the pixels skipped
# keep colour-table entry 0.
def nib(r, x):
    return r[x // 2] >> 4 if x % 2 == 0 else r[x // 2] & 15

def rle4_row(px):
    out = bytearray()
    x = 0
    while x < len(px):
        n = 1
        while x + n < len(px) and n < 255 and px[x + n] == px[x]:
            n += 1
        if n >= 3 or len(px) - x < 3:
            out += bytes([n, px[x] << 4 | px[x]])
            x += n
            continue
        n = 3
        while x + n < len(px) and n < 255 and not (x + n + 2 < len(px) and px[x + n] == px[x + n + 1] == px[x + n + 2]):
            n += 1
        lit = px[x:x + n] + [0]
        packed = bytes(lit[i] << 4 | lit[i + 1] for i in range(0, n, 2))
        out += bytes([0, n]) + packed + (b"\0" if len(packed) % 2 else b"")
        x += n
    return out

d = load("pal4.bmp")
w, h, bc, comp, off = info(d)
pix = [[nib(r, x) for x in range(w)] for r in rows(d)]
plain = bytearray()
for p in pix:
    plain += rle4_row(p) + b"\0\0"
plain[-2:] = b"\0\1"
skips = bytearray()
for y, p in enumerate(pix):
    if y == 4:
        skips += rle4_row(p[:6]) + bytes([0, 2, 10, 0]) + rle4_row(p[16:]) + b"\0\0"
    elif y in (7, 8):
        skips += rle4_row(p[:w // 2]) + b"\0\0"
    elif y == 10:
        skips += rle4_row(p[:6]) + b"\0\2\0\1"  # delta straight up: the next row goes on at x = 6
    elif y == 11:
        skips += rle4_row(p[6:]) + b"\0\0"
    else:
        skips += rle4_row(p) + b"\0\0"
skips[-2:] = b"\0\1"
for name, bits in (("rle4.bmp", plain), ("rle4-skips.bmp", skips)):
    t = with_bits(d, off, bits)
    struct.pack_into("<II", t, 30, 2, len(bits))
    save(name, t)
EOF

for f in *.bmp; do
    $convert "$f" -depth 8 "rgb:${f%.bmp}.rgb"
done

# ImageMagick widens 4-bit channels by a shift alone (15 -> 240); the reader repeats the
# bits (15 -> 255), so the expected bytes for the 4-4-4-4 file are (v >> 4) * 17.
python3 - <<'EOF2'
name = "rgba16-4444-v5.rgb"
data = open(name, "rb").read()
open(name, "wb").write(bytes((b >> 4) * 17 for b in data))
EOF2
