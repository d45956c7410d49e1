#!/bin/sh
# Makes the small seed files for the WAV, DXF, palette and settings fuzzers (the picture
# fuzzers start from tests/data/bmp, gif and jpeg). Needs sox and python3.
set -e
cd "$(dirname "$0")"
mkdir -p wav dxf palette settings
sox -n -r 8000 -b 8 -c 1 wav/mono8.wav synth 0.02 sine 440
sox -n -r 44100 -b 16 -c 2 wav/stereo16.wav synth 0.005 sine 440 sine 660
sox -n -r 22050 -b 24 -c 1 wav/mono24.wav synth 0.005 square 300
python3 - <<'PY'
import struct
def chunk(cid, body):
    pad = b"\0" if len(body) % 2 else b""
    return cid + struct.pack("<I", len(body)) + body + pad
fmt = struct.pack("<HHIIHH", 1, 2, 11025, 44100, 4, 16)
data = bytes(range(0, 64))
# An odd-sized chunk before "fmt ", and "data" before "fmt " (not found by the reader).
odd = b"WAVE" + chunk(b"LIST", b"abc") + chunk(b"fmt ", fmt) + chunk(b"data", data)
open("wav/odd_chunk.wav", "wb").write(b"RIFF" + struct.pack("<I", len(odd)) + odd)
rev = b"WAVE" + chunk(b"data", data) + chunk(b"fmt ", fmt)
open("wav/data_first.wav", "wb").write(b"RIFF" + struct.pack("<I", len(rev)) + rev)

s = bytearray(536)
struct.pack_into("<I4i", s, 0, 0, 100, 50, 900, 700)
struct.pack_into("<3d5i", s, 232, -0.744846, -0.132678, 0.002463, 800, 600, 500, 16, 256)
s[276:276 + 11] = b"palette.pal"
open("settings/defaults.bin", "wb").write(bytes(s))

face = ["0", "SECTION", "2", "ENTITIES", "0", "3DFACE", "8", "0"]
for i, (x, y) in enumerate([(0.0, 0.0), (1.0, 0.0), (1.0, 1.0), (1.0, 1.0)]):
    face += [str(10 + i), "%.1f" % x, str(20 + i), "%.1f" % y, str(30 + i), "0.0"]
face += ["0", "ENDSEC", "0", "EOF"]
open("dxf/face.dxf", "w").write("".join("%3s\n" % t if t.isdigit() else t + "\n" for t in face))

poly = ["0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1009", "0", "ENDSEC",
        "0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "0", "ENDTAB", "0", "ENDSEC",
        "0", "SECTION", "2", "ENTITIES", "0", "POLYLINE", "8", "0", "66", "1", "72", "4"]
for x, y, z in [(0.0, 0.0, 0.0), (1.5, 0.0, 0.0), (1.5, 2.5, 0.0), (0.0, 2.5, -1.25)]:
    poly += ["0", "VERTEX", "8", "0", "62", "7", "10", str(x), "20", str(y), "30", str(z)]
poly += ["0", "SEQEND", "0", "ENDSEC", "0", "EOF"]
open("dxf/polyline.dxf", "w").write("".join("%3s\n" % t if t.isdigit() else t + "\n" for t in poly))

open("palette/small.pal", "w").write("Mandelbrot palette\n\n3\n255 128 0\n300 0 7\n1 2 3\n")
PY
cp ../../mandel/palette.pal palette/palette.pal
