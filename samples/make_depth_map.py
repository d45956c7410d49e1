#!/usr/bin/env python3
"""Writes samples/depth-grey.png: an ordinary 8-bit grey depth map (white near), 640 x 480,
a smooth dome inside a ring on a far background, for grey-mode stereograms."""
import math
import os

from PIL import Image

W, H = 640, 480
img = Image.new("L", (W, H), 0)
px = img.load()
for y in range(H):
    for x in range(W):
        d = math.hypot(x - W / 2, y - H / 2)
        dome = 255 * math.sqrt(max(0.0, 1 - (d / 110) ** 2))
        ring = 170 * math.sqrt(max(0.0, 1 - ((d - 175) / 45) ** 2))
        px[x, y] = int(round(max(dome, ring)))
img.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "depth-grey.png"), optimize=True)
