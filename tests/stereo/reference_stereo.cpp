#include "reference_stereo.h"

#include <vector>

namespace {

size_t Stride(int width, int bpp) { return ((size_t(bpp) * width + 31) / 32) * 4; }

int32_t ReadWord(const uint8_t* row, size_t at, size_t rowBytes) {
    uint32_t w = 0;
    for (size_t k = 0; k < 4; ++k)
        if (at + k < rowBytes) w |= uint32_t(row[at + k]) << (8 * k);
    return int32_t(w);
}

void WriteWord(uint8_t* p, int32_t c, int bytes) {
    for (int k = 0; k < bytes; ++k) p[k] = uint8_t(uint32_t(c) >> (8 * k));
}

}  // namespace

int ReferenceMakeStereo(const uint8_t* Wall, const uint8_t* Z, uint8_t* T, int Width, int Height, int fbpp, int bw,
                        int bh, int bbpp, const StereoOptions& opts) {
    const int oversam = opts.oversam, bkdepth = opts.bkdepth, Eye = opts.Eye, o = opts.o;
    const size_t fstride = Stride(Width, fbpp), bstride = Stride(bw, bbpp);
    const size_t browBytes = size_t(bw) * (bbpp >> 3);
    fbpp >>= 3;
    bbpp >>= 3;
    const int picwidth = Width - (Width % 2);
    int wrap = bw - (bw % 2);
    if (wrap == 0) wrap = 1;
    const int n = picwidth * oversam;
    std::vector<int> z(picwidth), Link(n);
    std::vector<int32_t> pixels(n);

    auto sample = [&](long i) { return int64_t(pixels[i < 0 ? 0 : (i >= n ? n - 1 : i)]); };
    auto zAt = [&](long pos) {
        long i = pos / oversam;
        if (i < 0) i = 0;
        if (i > picwidth - 1) i = picwidth - 1;
        return z[i];
    };

    for (int y = 0; y < Height; ++y) {
        const uint8_t* depthRow = Z + y * fstride;
        uint8_t* outRow = T + y * fstride;
        const uint8_t* W = Wall + (y % bh) * bstride;
        for (int i = 0; i < n; ++i) Link[i] = i;

        int highest = bkdepth;
        for (int x = 0; x < picwidth; ++x) {
            int h;
            if (opts.BlocksOnTop && y >= 8 && y < 32)
                h = (x / 32) % 2 == 1 ? 32 : 0;
            else if (opts.invert)
                h = ~depthRow[x * fbpp] & 127;
            else
                h = depthRow[x * fbpp] & 127;
            z[x] = h + bkdepth;
            if (z[x] > highest) highest = z[x];
        }

        for (int x = 0; x < n; ++x) {
            int t = z[x / oversam];
            int64_t separation = int64_t(__int128(Eye) * oversam * t / (int64_t(t) - o));
            int64_t left = x - separation / 2;
            int64_t right = left + separation;
            if (left < 0 || right >= n) continue;
            int visible = 1;
            if (opts.dohiddenrem) {
                float v = float((o - t) * 2.0 / Eye);
                int64_t u;
                int dx = 1;
                do {
                    u = int64_t(dx * double(v) + t);
                    if (zAt(long(x) + dx) >= u || zAt(long(x) - dx) >= u) visible = 0;
                    ++dx;
                } while (u <= highest && visible == 1);
            }
            if (visible) Link[right] = int(left);
        }

        int pp = 0;
        int32_t c = 0;
        for (int x = 0; x < n; ++x) {
            if (Link[x] == x) {
                if (pp % oversam == 0) c = ReadWord(W, size_t(x % wrap) * bbpp, browBytes);
                pixels[x] = c;
                ++pp;
            } else {
                pixels[x] = pixels[Link[x]];
            }
        }

        for (int x = 0; x < picwidth; ++x) {
            long xx = long(x) * oversam;
            auto p = [&](int k) { return sample(xx + k); };
            int64_t v;
            switch (oversam) {
            case 1: v = p(0); break;
            case 2: v = (5 * (p(-2) + p(2)) + 24 * (p(-1) + p(1)) + 42 * p(0)) / 100; break;
            case 4: v = (7 * (p(-3) + p(3)) + 12 * (p(-2) + p(2)) + 18 * (p(-1) + p(1)) + 26 * p(0)) / 100; break;
            default:
                v = (2 * (p(-6) + p(6)) + 3 * (p(-5) + p(5)) + 5 * (p(-4) + p(4)) + 8 * (p(-3) + p(3)) +
                     11 * (p(-2) + p(2)) + 14 * (p(-1) + p(1)) + 14 * p(0)) /
                    100;
                break;
            }
            WriteWord(outRow + x * fbpp, int32_t(v), fbpp);
        }
        if (Width % 2 == 1) {
            if (Width == 1)
                WriteWord(outRow, ReadWord(W, 0, browBytes), fbpp);
            else
                for (int k = 0; k < fbpp; ++k) outRow[(Width - 1) * fbpp + k] = outRow[(Width - 2) * fbpp + k];
        }
    }
    return 1;
}
