# Makes the inputs of tests/fuzz/slow/: legitimate files inside the readers' limits that take
# long under the sanitizers. The fuzz run replays them whole (libFuzzer would cut them to
# -max_len) and lists them as slow, never as hangs.
#   python3 tests/fuzz/slow/make_slow.py
import os


def lzw_one_colour(npix, code_size=2):
    """GIF LZW codes for npix pixels of colour 0, as tight as LZW allows: each new code one
    pixel longer than the last until the table is full, then the longest code again and again."""
    clear = 1 << code_size
    end = clear + 1
    width, top, slot = code_size + 1, 1 << (code_size + 1), end + 1
    codes = [(clear, width), (0, width)]
    left, last = npix - 1, 1
    while left > 0:
        n = min(last + 1 if slot < 4096 else 4096 - end, left)
        code = min(0 if n == 1 else end + n - 1, slot)
        last = 1 if code == 0 else code - end + 1
        codes.append((code, width))
        left -= last
        if slot < top and slot < 4096:
            slot += 1
        if slot >= top and width < 12:
            top, width = top << 1, width + 1
    codes.append((end, width))
    acc = bits = 0
    out = bytearray()
    for c, w in codes:
        acc |= c << bits
        bits += w
        while bits >= 8:
            out.append(acc & 255)
            acc >>= 8
            bits -= 8
    return out + (bytes([acc]) if bits else b"")


def one_colour_gif(w, h):
    le = lambda v: v.to_bytes(2, "little")
    data = lzw_one_colour(w * h)
    gif = bytearray(b"GIF89a" + le(w) + le(h) + bytes([0x81, 0, 0]) + bytes([255] * 3 + [0] * 9))
    gif += b"\x2c" + bytes(4) + le(w) + le(h) + b"\x00\x02"
    for i in range(0, len(data), 255):
        gif += bytes([len(data[i:i + 255])]) + data[i:i + 255]
    return gif + b"\x00\x3b"


here = os.path.dirname(os.path.abspath(__file__))
# 33 million pixels from 15 KB: within 4096 pixels per byte, 0.8 to 2 s under ASan + UBSan.
with open(os.path.join(here, "gif", "one_colour_65280x511.gif"), "wb") as f:
    f.write(one_colour_gif(65280, 511))
