#include "stereo/make_stereo.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <numeric>

namespace {

constexpr int kLevels = 128;
constexpr int kGuard = 6;  // widest filter reach, in samples, on each side of a row

template <class T> std::unique_ptr<T[]> Allocate(size_t n) { return std::unique_ptr<T[]>(new (std::nothrow) T[n]); }

bool SupportedBits(int bpp) { return bpp == 16 || bpp == 24 || bpp == 32; }

// The little-endian word at `offset`; bytes at or past `rowBytes` count as 0.
uint32_t LoadWord(const uint8_t* row, size_t offset, size_t rowBytes) {
    if (offset + 4 <= rowBytes) {
        uint32_t w;
        std::memcpy(&w, row + offset, 4);
        return w;
    }
    uint32_t w = 0;
    for (size_t k = 0; k < 4 && offset + k < rowBytes; ++k) w |= uint32_t(row[offset + k]) << (8 * k);
    return w;
}

void StoreWord(uint8_t* p, int32_t c, int bytes) {
    uint32_t w = uint32_t(c);
    std::memcpy(p, &w, size_t(bytes));
}

// Everything that stays the same for every row of one call.
struct Plan {
    int fB = 0, bB = 0;          // bytes per pixel
    int picwidth = 0;            // depth width rounded down to even
    int wrap = 0;                // texture wrap width
    int ov = 1;
    int n = 0;                   // samples per row
    size_t fstride = 0, bstride = 0, browBytes = 0;
    int32_t invmask = 0;
    int64_t half[kLevels];       // separation / 2 per depth level
    int64_t sep[kLevels];        // separation per depth level
    float v[kLevels];            // hidden-surface slope per depth level
    int bkdepth = 0;
};

void BuildTables(Plan& p, const StereoOptions& opts) {
    for (int h = 0; h < kLevels; ++h) {
        int64_t t = int64_t(h) + opts.bkdepth;
        int64_t d = t - opts.o;
        // The product can pass 64 bits for extreme values; the quotient never passes Eye x oversam.
        __int128 num = __int128(int64_t(opts.Eye) * p.ov) * t;
        p.sep[h] = int64_t(num / d);
        p.half[h] = p.sep[h] / 2;
        p.v[h] = float(double(opts.o - t) * 2.0 / opts.Eye);
    }
}

// True when the line of sight from sample x at depth t toward either eye meets the surface.
// Positions beyond the row take the depth of its first or last sample.
bool Hidden(const int32_t* zs, int n, int x, int64_t t, float v, int64_t highest) {
    for (int64_t dx = 1;; ++dx) {
        int64_t u = int64_t(double(dx) * double(v) + double(t));
        int64_t r = std::min<int64_t>(x + dx, n - 1);
        int64_t l = std::max<int64_t>(x - dx, 0);
        if (zs[r] >= u || zs[l] >= u) return true;
        if (u > highest) return false;
        // Both ends pinned: the depths tested no longer change while u only grows.
        if (r == n - 1 && l == 0) return false;
    }
}

template <bool kDirect32> struct Texture {
    const uint8_t* row;
    const uint32_t* words;
    int32_t at(int col) const {
        if constexpr (kDirect32) {
            uint32_t w;
            std::memcpy(&w, row + size_t(col) * 4, 4);
            return int32_t(w);
        } else {
            return int32_t(words[col]);
        }
    }
};

// Constraint and fill passes in one sweep: every link into sample x comes from a sample to
// its left, so Link[x] is final when the sweep reaches x.
template <bool kDirect32, bool kHidden>
void BuildSamples(const Plan& p, const uint8_t* lev, const int32_t* zs, int64_t highest, int32_t* link,
                  int32_t* pix, const Texture<kDirect32>& tex) {
    const int n = p.n;
    std::iota(link, link + n, 0);
    int col = 0;
    int countdown = 0;
    int32_t c = 0;
    int x = 0;
    for (int px = 0; px < p.picwidth; ++px) {
        const int h = lev[px];
        const int64_t half = p.half[h], sep = p.sep[h];
        for (int k = 0; k < p.ov; ++k, ++x) {
            int64_t left = x - half;
            int64_t right = left + sep;
            if (left >= 0 && right < n) {
                if (!kHidden || !Hidden(zs, n, x, int64_t(h) + p.bkdepth, p.v[h], highest))
                    link[right] = int32_t(left);
            }
            int32_t lk = link[x];
            if (lk == x) {
                if (countdown == 0) {
                    c = tex.at(col);
                    countdown = p.ov;
                }
                --countdown;
                pix[x] = c;
            } else {
                pix[x] = pix[lk];
            }
            if (++col == p.wrap) col = 0;
        }
    }
}

template <int kReach> void FilterRow(const Plan& p, const int32_t* pix, const int (&w)[kReach + 1], uint8_t* out) {
    for (int x = 0; x < p.picwidth; ++x) {
        const int32_t* s = pix + size_t(x) * p.ov;
        int64_t sum = int64_t(w[0]) * s[0];
        for (int k = 1; k <= kReach; ++k) sum += int64_t(w[k]) * (int64_t(s[-k]) + s[k]);
        StoreWord(out + size_t(x) * p.fB, int32_t(sum / 100), p.fB);
    }
}

void OutputRow(const Plan& p, int32_t* pix, uint8_t* out) {
    if (p.n > 0) {
        std::fill(pix - kGuard, pix, pix[0]);
        std::fill(pix + p.n, pix + p.n + kGuard, pix[p.n - 1]);
    }
    static const int w2[] = {42, 24, 5};
    static const int w4[] = {26, 18, 12, 7};
    static const int w6[] = {14, 14, 11, 8, 5, 3, 2};
    switch (p.ov) {
    case 1:
        if (p.fB == 4) {
            std::memcpy(out, pix, size_t(p.picwidth) * 4);
        } else {
            for (int x = 0; x < p.picwidth; ++x) StoreWord(out + size_t(x) * p.fB, pix[x], p.fB);
        }
        break;
    case 2: FilterRow<2>(p, pix, w2, out); break;
    case 4: FilterRow<3>(p, pix, w4, out); break;
    default: FilterRow<6>(p, pix, w6, out); break;
    }
}

}  // namespace

size_t DibStride(int width, int bitsPerPixel) {
    return ((size_t(bitsPerPixel) * size_t(width) + 31) & ~size_t(31)) / 8;
}

int MakeStereo(const uint8_t* Wall, const uint8_t* Z, uint8_t* T, int Width, int Height, int fbpp, int bw, int bh,
               int bbpp, const StereoOptions& opts) {
    if (!ValidateStereoOptions(opts).empty() || !SupportedBits(fbpp) || !SupportedBits(bbpp)) return 0;
    if (Width < 0 || Height < 0 || bw < 1 || bh < 1) return 0;
    if (Width == 0 || Height == 0) return 1;
    if (!Wall || !Z || !T) return 0;

    auto plan = std::make_unique<Plan>();
    Plan& p = *plan;
    p.fB = fbpp >> 3;
    p.bB = bbpp >> 3;
    p.picwidth = Width & ~1;
    p.wrap = std::max(bw & ~1, 1);  // a 1-pixel-wide texture still has its one column
    p.ov = opts.oversam;
    if (int64_t(p.picwidth) * p.ov > std::numeric_limits<int32_t>::max() - 2 * kGuard) return 0;
    p.n = p.picwidth * p.ov;
    p.fstride = DibStride(Width, fbpp);
    p.bstride = DibStride(bw, bbpp);
    p.browBytes = size_t(bw) * size_t(p.bB);
    p.invmask = opts.invert ? 127 : 0;
    p.bkdepth = opts.bkdepth;
    BuildTables(p, opts);

    const bool direct = p.bB == 4;
    auto lev = Allocate<uint8_t>(size_t(p.picwidth) + 1);
    auto link = Allocate<int32_t>(size_t(p.n) + 1);
    auto pixels = Allocate<int32_t>(size_t(p.n) + 2 * kGuard);
    auto zs = opts.dohiddenrem ? Allocate<int32_t>(size_t(p.n) + 1) : nullptr;
    auto words = direct ? nullptr : Allocate<uint32_t>(size_t(p.wrap));
    if (!lev || !link || !pixels || (opts.dohiddenrem && !zs) || (!direct && !words)) return 0;
    int32_t* pix = pixels.get() + kGuard;

    for (int y = 0; y < Height; ++y) {
        const uint8_t* zrow = Z + size_t(y) * p.fstride;
        uint8_t* trow = T + size_t(y) * p.fstride;
        const uint8_t* wrow = Wall + size_t(y % bh) * p.bstride;

        const bool blocks = opts.BlocksOnTop && y >= 8 && y < 32;
        int highest = 0;
        for (int x = 0; x < p.picwidth; ++x) {
            int h = blocks ? ((x / 32) & 1 ? 32 : 0) : ((zrow[size_t(x) * p.fB] & 127) ^ p.invmask);
            lev[x] = uint8_t(h);
            highest = std::max(highest, h);
        }
        if (!direct)
            for (int c = 0; c < p.wrap; ++c) words[c] = LoadWord(wrow, size_t(c) * p.bB, p.browBytes);

        if (opts.dohiddenrem) {
            for (int x = 0; x < p.n; ++x) zs[x] = lev[x / p.ov] + p.bkdepth;
            const int64_t top = int64_t(highest) + p.bkdepth;
            if (direct)
                BuildSamples<true, true>(p, lev.get(), zs.get(), top, link.get(), pix, {wrow, nullptr});
            else
                BuildSamples<false, true>(p, lev.get(), zs.get(), top, link.get(), pix, {wrow, words.get()});
        } else if (direct) {
            BuildSamples<true, false>(p, lev.get(), nullptr, 0, link.get(), pix, {wrow, nullptr});
        } else {
            BuildSamples<false, false>(p, lev.get(), nullptr, 0, link.get(), pix, {wrow, words.get()});
        }
        OutputRow(p, pix, trow);

        if (Width & 1) {
            uint8_t* last = trow + size_t(Width - 1) * p.fB;
            if (Width > 1)
                std::memcpy(last, last - p.fB, size_t(p.fB));
            else
                StoreWord(last, int32_t(LoadWord(wrow, 0, p.browBytes)), p.fB);
        }
    }
    return 1;
}
