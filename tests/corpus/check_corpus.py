#!/usr/bin/env python3
"""Runs every file of the shared corpus of real files through orvalis-cli and checks it
against the independent reference results and the expected behaviour column.

usage: check_corpus.py ORVALIS_CLI CORPUS_DIR
Exit 77 (skipped) when the corpus folder is absent.
"""
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile

# Pictures where our pixels differ from the reference decoder's on purpose: the reference
# itself is questionable there, or the format leaves the pixels open.
PIXEL_EXCEPTIONS = {
    "bmp/pal4rle.bmp": "the reference misreads RLE4; ours equals the uncompressed pal4.bmp",
    "bmp/pal4rletrns.bmp": "the reference misreads RLE4; skipped pixels are undefined",
    "bmp/pal8rletrns.bmp": "pixels skipped by delta codes are undefined; ours are colour-table entry 0",
    "bmp/rgb16.bmp": "5-bit channels widened by bit repetition (ImageMagick agrees); the reference truncates",
    "bmp/rgb16-565.bmp": "5/6-bit channels widened by bit repetition (ImageMagick agrees)",
    "bmp/rgb16-565pal.bmp": "5/6-bit channels widened by bit repetition (ImageMagick agrees)",
    "bmp/pal8badindex.bmp": "indices past the colour table show black; the reference shows grey",
    "bmp/badrle.bmp": "corrupt runs past the row end are dropped",
    "gif/first_frame_transparency.gif": "we show the first image (50x50), the reference the logical screen (75x50)",
    "gif/cve-2005-2974-partial-treescap.gif": "truncated LZW data: rows not reached are colour index 0",
    "gif/invalid-code.gif": "a code not yet in the table is decoded as the code being defined",
}

# Extensible-header PCM files that the corpus notes list as refused: they are read, and show
# the header's valid bits (wValidBitsPerSample; the reference gives the container's).
EXTENSIBLE_PCM_BITS = {
    "wav/M1F1-int12WE-AFsp.wav": 12,
    "wav/waveformatextensible-24bit-192kHz-mono.wav": 24,
}
# Files expected to load that the readers refuse.
LOAD_EXCEPTIONS = {
    "other/12bit.cropped.tif": "libtiff's reading through Qt takes no 12-bit samples",
}

# Drawings whose entities the positional reader takes apart differently from their count.
FACE_COUNT_EXCEPTIONS = {
    "dxf/PinkEggFromLW.dxf": "corners written 13..10: the search for group 10 runs into the next entity",
}

TIMEOUT = 20


def expected_column(corpus):
    exp = {}
    with open(os.path.join(corpus, "SOURCES.md"), encoding="utf-8") as f:
        for line in f:
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if len(cells) == 5 and re.match(r"^(bmp|gif|jpeg|png|other|wav|dxf)/", cells[0]):
                exp[cells[0]] = cells[4]
    return exp


def reference(corpus):
    rows = {}
    with open(os.path.join(corpus, "reference.tsv"), encoding="utf-8") as f:
        cols = None
        for line in f:
            if line.startswith("#"):
                continue
            cells = line.rstrip("\n").split("\t")
            if cols is None:
                cols = cells
                continue
            rows[cells[0]] = dict(zip(cols, cells))
    return rows


def bmp24_rgb(path):
    """Width, height and top-down RGB bytes of the 24-bit BMP that orvalis-cli writes."""
    d = open(path, "rb").read()
    off, w, h, bpp = struct.unpack_from("<I", d, 10)[0], *struct.unpack_from("<iiHH", d, 18)[:2], 24
    stride = (w * 3 + 3) & ~3
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = d[off + y * stride: off + y * stride + w * 3]
        for x in range(w):
            b, g, r = row[3 * x: 3 * x + 3]
            out += bytes((r, g, b))
    return w, h, bytes(out)


def grey16_md5(path):
    """MD5 of the 16-bit grey values of a PNG that orvalis-cli wrote, or None for 8-bit output.
    Read by Pillow under Debian's own python3 (python3-pil)."""
    code = ("import hashlib, struct, sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
            "if im.mode in ('I;16', 'I;16B', 'I'):\n"
            "    print(hashlib.md5(b''.join(struct.pack('<H', v) for v in im.getdata())).hexdigest())")
    p = subprocess.run(["/usr/bin/python3", "-c", code, path], capture_output=True, text=True)
    return p.stdout.strip() or None


def run(cmd, env=None):
    try:
        p = subprocess.run(cmd, capture_output=True, timeout=TIMEOUT, env=env)
    except subprocess.TimeoutExpired:
        return None, b"", b"hang"
    return p.returncode, p.stdout, p.stderr


def main():
    cli, corpus = sys.argv[1], sys.argv[2]
    if not os.path.isdir(corpus):
        print("corpus folder %s is absent: skipping the real-file checks" % corpus)
        return 77
    exp = expected_column(corpus)
    ref = reference(corpus)
    failures, noted, counts = [], [], {"ok": 0, "compared": 0, "same": 0}
    env = dict(os.environ)
    tmp = tempfile.mkdtemp()
    for name in sorted(exp):
        path = os.path.join(corpus, name)
        kind = name.split("/")[0]
        want = "load" if name in EXTENSIBLE_PCM_BITS else exp[name]
        r = ref.get(name, {})
        if kind in ("bmp", "gif", "jpeg", "png", "other"):
            cmd = [cli, "picture", path, os.path.join(tmp, "out.bmp")]
        elif kind == "wav":
            cmd = [cli, "wave-info", path]
        else:
            cmd = [cli, "dxf-info", path]
        rc, out, err = run(cmd, env)
        def fail(why):
            failures.append("%s: %s (exit %s, stderr %r)" % (name, why, rc, err[:200]))
        if rc is None:
            fail("hang (over %d s)" % TIMEOUT)
            continue
        if rc < 0 or rc > 2:
            fail("crash")
            continue
        if rc != 0 and not err.strip():
            fail("refused without a message")
            continue
        if want.startswith("refuse"):
            if rc == 0:
                fail("loaded, but it should be refused")
                continue
            m = re.search(r'"([^"]+)"', want)
            if m and kind == "wav" and m.group(1) not in err.decode("latin-1"):
                fail('refused, but not with "%s"' % m.group(1))
                continue
        elif want == "load" and rc != 0 and name not in LOAD_EXCEPTIONS:
            if (kind == "dxf" and r.get("n_3dface") == "0" and r.get("n_polyline") == "0"
                    and err.endswith(b": no drawing in this file\n")):
                counts["ok"] += 1  # the window opens it empty; dxf-info has nothing to report
                continue
            fail("refused, but it should load")
            continue
        compared = kind in ("bmp", "gif", "jpeg", "png", "other") and r.get("status") == "OK" and want != "refuse"
        counts["compared"] += compared
        if compared and rc != 0:
            noted.append("%s: refused (%s)" % (name, LOAD_EXCEPTIONS.get(name, "Pillow reads it")))
            continue
        if rc == 0 and r.get("grey16_md5"):
            # Pillow's RGB of 16-bit grey clips, so the grey values themselves are compared.
            png = os.path.join(tmp, "out16.png")
            run([cli, "picture", path, png], env)
            got = grey16_md5(png)
            if got != r["grey16_md5"]:
                fail("16-bit grey values differ from the reference" if got else "16-bit grey values lost")
                continue
            counts["same"] += 1
        elif rc == 0 and kind in ("bmp", "gif", "jpeg", "png", "other") and r.get("status") == "OK":
            w, h, rgb = bmp24_rgb(os.path.join(tmp, "out.bmp"))
            same_size = (w, h) == (int(r["width"]), int(r["height"]))
            same_pixels = hashlib.md5(rgb).hexdigest() == r["rgb_md5"]
            if not (same_size and same_pixels):
                if name in PIXEL_EXCEPTIONS:
                    noted.append("%s: pixels differ (%s)" % (name, PIXEL_EXCEPTIONS[name]))
                    continue
                fail("size %dx%d / pixels differ from the reference %sx%s" % (w, h, r["width"], r["height"]))
                continue
            counts["same"] += 1
        if rc == 0 and kind == "wav" and r.get("status") == "OK":
            line = out.decode().strip()
            align = int(r["channels"]) * ((int(r["bits"]) + 7) // 8)  # whole frames of the block align
            frames = int(r["data_size"]) // align
            bits = EXTENSIBLE_PCM_BITS.get(name, r["bits"])
            want_line = "%s/%s bits/ %s Channels  %d samples" % (r["rate"], bits, r["channels"], frames)
            if line != want_line:
                fail("information %r, reference %r" % (line, want_line))
                continue
        if rc == 0 and kind == "dxf" and r.get("status") == "OK":
            faces = int(re.search(rb"faces (\d+)", out).group(1))
            if r["n_polyline"] == "0" and faces != int(r["n_3dface"]) and name not in FACE_COUNT_EXCEPTIONS:
                fail("%d faces, the drawing has %s 3DFACE entities" % (faces, r["n_3dface"]))
                continue
        counts["ok"] += 1
    print("%d files checked: %d as expected, %d documented exceptions, %d failures"
          % (len(exp), counts["ok"], len(noted), len(failures)))
    print("%d pictures that Pillow reads: %d with Pillow's pixels (16-bit grey values where it gives them)"
          % (counts["compared"], counts["same"]))
    for n in noted:
        print("EXCEPTION " + n)
    for f in failures:
        print("FAIL " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
