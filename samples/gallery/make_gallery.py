#!/usr/bin/env python3
"""Writes the gallery in samples/gallery/: depth maps (white near) with a sidecar each
(NAME.orvalis-gallery: the suggested texture and stereogram options, named as orvalis-cli
stereo's options), and the textures in textures/. Everything is drawn here or by orvalis-cli
itself (the fractal, the model's render, the text), from fixed seeds, so a run gives the same
files again.

    python3 samples/gallery/make_gallery.py [ORVALIS-CLI]   (default build/tools/orvalis-cli)
"""
import math
import os
import random
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFilter

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
TEX = os.path.join(HERE, "textures")
W, H = 480, 320


def save(img, name, folder=HERE):
    img.save(os.path.join(folder, name), optimize=True)


def grey_map(name, f, w=W, h=H):
    """An 8-bit depth map from f(x, y) in 0..1."""
    img = Image.new("L", (w, h))
    img.putdata([int(round(255 * min(1.0, max(0.0, f(x, y))))) for y in range(h) for x in range(w)])
    save(img, name)


def sphere(x, y):
    d2 = ((x - W / 2) ** 2 + (y - H / 2) ** 2) / 130.0 ** 2
    return 0.15 + 0.85 * math.sqrt(1 - d2) if d2 < 1 else 0.0


def torus(x, y):
    # A ring of tube radius 40 round a circle of radius 95, seen from above.
    r = math.hypot(x - W / 2, y - H / 2) - 95
    return 0.1 + 0.9 * math.sqrt(1 - (r / 40) ** 2) if abs(r) < 40 else 0.0


def stairs(x, y):
    # Six steps climbing to the right, each a sixth nearer, on a flat floor strip below.
    if y > H - 40:
        return 0.0
    return min(5, int((x - 20) / ((W - 40) / 6))) / 5 if 20 <= x < W - 20 else 0.0


def relief_map():
    """A landscape of hills: value noise summed over octaves, valleys far, peaks near."""
    rnd = random.Random(7)
    img = Image.new("F", (W, H), 0.0)
    for octave, weight in ((120, 1.0), (60, 0.5), (30, 0.25), (15, 0.12)):
        small = Image.new("F", (W // octave + 2, H // octave + 2))
        small.putdata([rnd.random() for _ in range(small.width * small.height)])
        big = small.resize((small.width * octave, small.height * octave), Image.BICUBIC).crop((0, 0, W, H))
        a, b = list(img.getdata()), list(big.getdata())
        img.putdata([p + weight * q for p, q in zip(a, b)])
    v = list(img.getdata())
    lo, hi = min(v), max(v)
    out = Image.new("L", (W, H))
    out.putdata([int(255 * ((p - lo) / (hi - lo)) ** 1.5) for p in v])
    save(out, "relief.png")


def ripple16():
    """A cone of fine rings in 16-bit grey: the steps between rings are finer than 8 bits hold."""
    img = Image.new("I;16", (W, H))
    data = []
    for y in range(H):
        for x in range(W):
            d = math.hypot(x - W / 2, y - H / 2) / 150
            v = max(0.0, 1 - d) * (0.85 + 0.15 * math.cos(d * 40)) if d < 1 else 0.0
            data.append(int(round(65535 * v)))
    img.putdata(data)
    save(img, "ripple-16bit.png")


def cli_maps(cli):
    run = lambda *a: subprocess.run([cli, *a], check=True)
    # The whole set: its depth ranks the points outside it by their escape, the set nearest.
    run("mandel", "--depth-out", os.path.join(HERE, "mandelbrot.png"), "--width", str(W), "--height", str(H),
        "--r", "-2.25", "--i", "-1.1", "--side", "2.2")
    # Kept in 8 bits: the ranked escape counts in 16 bits are mostly noise to the compressor.
    path = os.path.join(HERE, "mandelbrot.png")
    img = Image.open(path)
    img.point(lambda v: v / 256).convert("L").save(path, optimize=True)
    run("depth", os.path.join(ROOT, "samples", "knot.stl"), "-o", os.path.join(HERE, "knot.png"),
        "--size", f"{W}x{H}", "--turn", "20,30,0")
    run("depth", "--text", "DEPTH", "-o", os.path.join(HERE, "text.png"), "--size", f"{W}x{H}", "--bevel", "3")


def textures():
    os.makedirs(TEX, exist_ok=True)
    tw, th = 160, 128
    rnd = random.Random(11)
    img = Image.new("RGB", (tw, th))
    img.putdata([(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(tw * th)])
    save(img, "dots-colour.png", TEX)
    img = Image.new("L", (tw, th))
    img.putdata([rnd.choice((0, 96, 160, 255)) for _ in range(tw * th)])
    save(img, "dots-grey.png", TEX)
    # A generated pattern: interfering waves in three colours, with a grain of dots.
    img = Image.new("RGB", (tw, th))
    img.putdata([tuple(int(127 + 90 * math.sin(x * (0.21 + 0.07 * c) + y * (0.13 - 0.05 * c) + 2 * c)
                           + rnd.randrange(-37, 38)) for c in range(3)) for y in range(th) for x in range(tw)])
    save(img, "pattern.png", TEX)
    # Photo-like noise: blurred coloured blobs at several scales, as leaves or pebbles look.
    img = Image.new("RGB", (tw, th))
    d = ImageDraw.Draw(img)
    for r, n in ((28, 60), (12, 260), (5, 900), (2, 3000)):
        for _ in range(n):
            x, y = rnd.randrange(tw), rnd.randrange(th)
            g = rnd.randrange(60, 200)
            d.ellipse((x - r, y - r, x + r, y + r), fill=(g // 2 + rnd.randrange(60), g, g // 3 + rnd.randrange(40)))
    save(img.filter(ImageFilter.GaussianBlur(0.8)), "photo-noise.png", TEX)
    # Stripes that show the repeat: a rainbow across the width and a black edge where it repeats,
    # with a grain of dots so that each column still differs from its neighbours.
    img = Image.new("RGB", (tw, th))
    px = []
    for y in range(th):
        for x in range(tw):
            if x % 80 < 3:  # 80: the background separation at the default options
                px.append((0, 0, 0))
                continue
            h = x % 80 / 80 * 6
            c = [max(0.0, min(1.0, abs((h + k) % 6 - 3) - 1)) for k in (0, 4, 2)]
            s = rnd.randrange(-60, 61)
            px.append(tuple(max(0, min(255, int(200 * v) + 30 + s)) for v in c))
    img.putdata(px)
    save(img, "stripes.png", TEX)
    # A tile: bricks of speckled clay with mortar lines, 2 x 4 bricks to the tile.
    img = Image.new("RGB", (tw, th))
    px = []
    for y in range(th):
        for x in range(tw):
            row = y // 16
            bx = (x + (20 if row % 2 else 0)) % 40
            if y % 16 < 2 or bx < 2:
                v = rnd.randrange(170, 230)
                px.append((v, v, v - 20))
            else:
                base = 120 + (row * 37 + (x + (20 if row % 2 else 0)) // 40 * 53) % 70
                s = rnd.randrange(-45, 46)
                px.append((min(255, base + 60 + s), max(0, base - 40 + s), max(0, base - 80 + s)))
    img.putdata(px)
    save(img, "tile.png", TEX)


# Each depth map's sidecar: its title, texture and options, easy ones first.
SIDECARS = {
    "sphere": ("Sphere", "dots-colour.png", ["depth-mode = grey", "relief = 200"]),
    "torus": ("Torus", "photo-noise.png", ["depth-mode = grey", "relief = 200"]),
    "stairs": ("Stairs", "stripes.png", ["depth-mode = grey", "relief = 160"]),
    "text": ("Text", "tile.png", ["depth-mode = grey", "relief = 150"]),
    "knot": ("Trefoil knot (3-D model)", "dots-grey.png", ["depth-mode = grey", "relief = 200"]),
    "relief": ("Hills (relief map)", "pattern.png", ["depth-mode = grey", "relief = 180"]),
    "mandelbrot": ("Mandelbrot set", "dots-colour.png", ["depth-mode = grey", "relief = 250", "background-depth = -900"]),
    "ripple-16bit": ("Rings (16-bit depth)", "dots-grey.png", ["depth-mode = grey", "relief = 300", "oversample = 4"]),
}


def sidecars():
    for name, (title, texture, options) in SIDECARS.items():
        with open(os.path.join(HERE, name + ".orvalis-gallery"), "w") as f:
            f.write(f"# Orvalis gallery: {name}.png and its suggested stereogram (orvalis-cli stereo's options)\n"
                    f"title = {title}\ntexture = textures/{texture}\n" + "".join(o + "\n" for o in options))


def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "tools", "orvalis-cli")
    grey_map("sphere.png", sphere)
    grey_map("torus.png", torus)
    grey_map("stairs.png", stairs)
    relief_map()
    ripple16()
    cli_maps(cli)
    textures()
    sidecars()


if __name__ == "__main__":
    main()
