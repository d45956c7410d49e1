#!/bin/bash
# Makes the small pictures in the everyday formats under tests/data/everyday, each with the
# picture Pillow decodes from it (<name>.ppm, binary P6, top row first) and, for 16-bit grey
# pictures, Pillow's grey values (<name>.g16, 16-bit little-endian, top row first) and their
# high bytes as the reference picture.
# Needs Debian's python3-pil. Run from anywhere:  bash tests/data/make_everyday.sh
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/everyday
rm -rf "$out"; mkdir -p "$out"
/usr/bin/python3 - "$out" <<'PY'
import random, struct, sys
from PIL import Image
out = sys.argv[1]
random.seed(14)
W, H = 23, 17

def scene(mode="RGB"):
    im = Image.new("RGB", (W, H))
    px = im.load()
    for y in range(H):
        for x in range(W):
            px[x, y] = ((x * 255) // (W - 1), (y * 255) // (H - 1), 255 if (x // 4 + y // 3) % 2 else 30)
            if random.random() < 0.15:
                px[x, y] = tuple(random.randrange(256) for _ in range(3))
    return im.convert(mode) if mode != "RGB" else im

def grey16():
    im = Image.new("I;16", (W, H))
    im.putdata([(x * 2851 + y * 977 + random.randrange(64)) % 65536 for y in range(H) for x in range(W)])
    return im

def write_grey4_keyed(path, key):
    """A 4-bit grey PNG with a transparent grey (Pillow writes grey at 8 bits only)."""
    import zlib
    v = [px >> 4 for px in scene("L").getdata()]
    raw = b"".join(b"\0" + bytes((v[y * W + x] << 4) | (v[y * W + x + 1] if x + 1 < W else 0) for x in range(0, W, 2))
                   for y in range(H))
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 4, 0, 0, 0, 0)) +
                chunk(b"tRNS", struct.pack(">H", key)) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))

rgba = scene("RGBA")
rgba.putalpha(Image.linear_gradient("L").resize((W, H)))
files = {
    "rgb.png": (scene(), {}),
    "rgba.png": (rgba, {}),
    "palette.png": (scene().quantize(37), {}),
    "grey.png": (scene("L"), {}),
    "grey16.png": (grey16(), {}),
    "photo.jpeg": (scene(), {"quality": 90}),
    "photo.jpe": (scene("L"), {"format": "JPEG"}),
    "rgb.tif": (scene(), {"compression": "tiff_lzw"}),
    "grey16.tiff": (grey16(), {}),
    "lossless.webp": (scene(), {"lossless": True}),
    "rgb.ppm": (scene(), {}),
    "grey.pgm": (scene("L"), {}),
    "bits.pbm": (scene("1"), {}),
    "rgb.tga": (scene(), {}),
    "palette.tga": (scene().quantize(37), {}),
    "grey_rle.tga": (scene("L"), {"compression": "tga_rle", "orientation": 1}),
    "rgba_rle.tga": (rgba, {"compression": "tga_rle"}),
    "grey16.pgm": (grey16().convert("I"), {}),
    # A transparent colour: dropped, the stored grey stays.
    "grey16_key.png": (grey16().convert("I"), {"transparency": 2851}),
    "grey4_key.png": (None, {}),
}
for name, (im, opts) in files.items():
    path = out + "/" + name
    if im:
        im.save(path, **opts)
    else:
        write_grey4_keyed(path, 3)
    back = Image.open(path)
    if back.mode in ("I;16", "I;16B", "I"):
        with open(path + ".g16", "wb") as f:
            f.write(b"".join(struct.pack("<H", v) for v in back.getdata()))
        # Pillow's own RGB of 16-bit grey clips; the picture shown is each value's high byte.
        back = Image.frombytes("L", back.size, bytes(v >> 8 for v in back.getdata()))
    back.convert("RGB").save(path + ".ppm", format="PPM")
PY
ls "$out"
