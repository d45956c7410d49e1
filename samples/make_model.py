#!/usr/bin/env python3
"""Writes samples/knot.stl: a trefoil knot as a tube, 160 x 12 quads (3840 triangles), as a
binary STL, the kind of file a printing site offers. Its horizontal tangent never vanishes, so
each ring of the tube is set square to the curve against the z axis without a twist."""
import math
import os
import struct

ALONG, AROUND, TUBE = 160, 12, 0.55


def curve(t):
    return (math.sin(t) + 2 * math.sin(2 * t), math.cos(t) - 2 * math.cos(2 * t), -math.sin(3 * t))


def sub(a, b):
    return tuple(p - q for p, q in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def unit(a):
    n = math.sqrt(sum(p * p for p in a))
    return tuple(p / n for p in a)


rings = []
for i in range(ALONG):
    t = 2 * math.pi * i / ALONG
    c = curve(t)
    tangent = unit(sub(curve(t + 1e-4), curve(t - 1e-4)))
    n = unit(cross(tangent, (0, 0, 1)))
    b = cross(tangent, n)
    rings.append([tuple(c[k] + TUBE * (math.cos(a) * n[k] + math.sin(a) * b[k]) for k in range(3))
                  for a in (2 * math.pi * j / AROUND for j in range(AROUND))])

triangles = []
for i in range(ALONG):
    for j in range(AROUND):
        p, q = rings[i][j], rings[i][(j + 1) % AROUND]
        r, s = rings[(i + 1) % ALONG][j], rings[(i + 1) % ALONG][(j + 1) % AROUND]
        triangles += [(p, r, q), (q, r, s)]

out = bytearray(b"trefoil knot, made by samples/make_model.py".ljust(80, b" "))
out += struct.pack("<I", len(triangles))
for tri in triangles:
    normal = unit(cross(sub(tri[1], tri[0]), sub(tri[2], tri[0])))
    out += struct.pack("<12fH", *normal, *tri[0], *tri[1], *tri[2], 0)
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "knot.stl"), "wb") as f:
    f.write(out)
