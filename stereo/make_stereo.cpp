#include "stereo/make_stereo.h"

#include "images/dib.h"
#include "platform/parallel.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <numeric>

namespace {

constexpr int kGuard = 6;  // widest filter reach, in samples, on each side of a row
constexpr int kSightSteps = StereoPlan::kSightSteps;

template <class T> std::unique_ptr<T[]> AllocateArray(size_t n) { return std::unique_ptr<T[]>(new (std::nothrow) T[n]); }

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

// The depths of one row's samples for the hidden-surface walk, kSightSteps copies of the
// first and last sample's depth beyond each end, as positions past the row read them.
struct Sight {
    const int32_t* zs;    // zs[-kSightSteps] .. zs[n + kSightSteps - 1]
    const int32_t* near;  // the largest depth within kSightSteps samples of each sample
    int n;
    int64_t highest;
};

// The largest of each run of `width` values of a (out[i] = max a[i .. i + width - 1]) for
// `count` runs, from maxima within blocks of `width` taken from each side.
void RunningMax(const int32_t* a, int count, int width, int32_t* fromStart, int32_t* toEnd, int32_t* out) {
    const int len = count + width - 1;
    for (int b = 0; b < len; b += width) {
        const int e = std::min(b + width, len);
        int32_t m = a[b];
        for (int i = b; i < e; ++i) fromStart[i] = m = std::max(m, a[i]);
        m = a[e - 1];
        for (int i = e - 1; i >= b; --i) toEnd[i] = m = std::max(m, a[i]);
    }
    for (int i = 0; i < count; ++i) out[i] = std::max(toEnd[i], fromStart[i + width - 1]);
}

// True when the line of sight from sample x at depth offset h toward either eye meets the
// surface. A step can only meet a depth at or above the ray's height u, which grows with the
// step, so steps whose u passes the row's highest depth never do: testing them changes nothing.
// The first kSightSteps steps are tested together, both sides at once, from a table of u.
bool Hidden(const StereoPlan& p, const Sight& s, int x, int h) {
    const int32_t* u = p.sight32.data() + size_t(h) * kSightSteps;         // u at steps 1, 2, ...
    const int32_t* back = p.sightBack.data() + size_t(h) * kSightSteps;    // u at steps kSightSteps .. 1
    const int32_t* right = s.zs + x + 1;
    const int32_t* left = s.zs + x - kSightSteps;
    int hit = 0;
    for (int k = 0; k < kSightSteps; ++k) hit |= (right[k] >= u[k]) | (left[k] >= back[k]);
    if (hit) return true;
    if (int64_t(u[kSightSteps - 1]) > s.highest) return false;
    // A long walk goes on step by step; positions past the row take its end depths.
    const int64_t t = int64_t(h) + p.bkdepth;
    const double v = double(p.v[size_t(h)]);
    for (int64_t dx = kSightSteps + 1;; ++dx) {
        const int64_t ud = int64_t(double(dx) * v + double(t));
        const int64_t r = std::min<int64_t>(x + dx, s.n - 1);
        const int64_t l = std::max<int64_t>(x - dx, 0);
        if (s.zs[r] >= ud || s.zs[l] >= ud) return true;
        if (ud > s.highest) return false;
        if (r == s.n - 1 && l == 0) return false;  // the depths tested no longer change
    }
}

template <bool kDirect32> struct Texture {
    const uint8_t* row;
    const uint32_t* words;
    uint32_t mask;
    int32_t at(int col) const {
        if constexpr (kDirect32) {
            uint32_t w;
            std::memcpy(&w, row + size_t(col) * 4, 4);
            return int32_t(w & mask);
        } else {
            return int32_t(words[col]);
        }
    }
};

// Constraint and fill passes in one sweep. A link into sample right comes from sample left,
// left <= x <= right at the step x that makes it (separations are never negative), and
// the last link made before the sweep reaches right is the one that counts. Sample left is
// final by then, so its colour is copied forward at once and right is marked as linked for
// this row (marks hold the row's stamp, so they need no clearing). A separation of 0 links
// x to itself at step x, after any earlier link into x: x is free then, whatever came before.
// The oversampling factor is a constant and the plan's fields are held in locals, which the
// stores cannot alias.
template <int kOv, bool kDirect32, bool kHidden>
void BuildSamples(const StereoPlan& p, const int32_t* d, const Sight& sight, uint32_t* marks, uint32_t stamp,
                  int32_t* pix, const Texture<kDirect32>& tex) {
    const int n = p.n, picwidth = p.picwidth, wrap = p.wrap;
    const int64_t* halfOf = p.half.data();
    const int64_t* sepOf = p.sep.data();
    const Texture<kDirect32> t = tex;
    int col = 0;
    int countdown = 0;
    int32_t c = 0;
    int x = 0;
    // Most samples are seen plainly: the ray's first step already passes every depth within
    // reach of the table, and its last table step the row's highest.
    auto seen = [&](int h) {
        const int32_t* u = kHidden ? p.sight32.data() + size_t(h) * kSightSteps : nullptr;
        return !kHidden || (u[0] > sight.near[x] && u[kSightSteps - 1] > sight.highest) || !Hidden(p, sight, x, h);
    };
    auto fill = [&] {
        if (countdown == 0) {
            c = t.at(col);
            countdown = kOv;
        }
        --countdown;
        pix[x] = c;
    };
    for (int px = 0; px < picwidth; ++px) {
        const int h = d[px];
        const int64_t half = halfOf[h], sep = sepOf[h];
        if (sep == 0) [[unlikely]] {
            for (int k = 0; k < kOv; ++k, ++x) {
                if (marks[x] != stamp || seen(h)) fill();
                if (++col == wrap) col = 0;
            }
            continue;
        }
        for (int k = 0; k < kOv; ++k, ++x) {
            // A link made at this step into a later sample may come from x itself, so x is filled first.
            if (marks[x] != stamp) fill();
            if (++col == wrap) col = 0;
            const int64_t left = x - half;
            const int64_t right = left + sep;
            if (left >= 0 && right < n && seen(h)) {
                pix[right] = pix[left];
                marks[right] = stamp;
            }
        }
    }
}

template <bool kDirect32, bool kHidden>
void BuildSamples(const StereoPlan& p, const int32_t* d, const Sight& sight, StereoRowWork& w, int32_t* pix,
                  const Texture<kDirect32>& tex) {
    if (++w.stamp == 0) {  // after 2^32 rows the stamps come round again
        std::fill(w.marks.get(), w.marks.get() + p.n, 0u);
        w.stamp = 1;
    }
    uint32_t* marks = w.marks.get();
    switch (p.ov) {
    case 1: return BuildSamples<1, kDirect32, kHidden>(p, d, sight, marks, w.stamp, pix, tex);
    case 2: return BuildSamples<2, kDirect32, kHidden>(p, d, sight, marks, w.stamp, pix, tex);
    case 4: return BuildSamples<4, kDirect32, kHidden>(p, d, sight, marks, w.stamp, pix, tex);
    default: return BuildSamples<6, kDirect32, kHidden>(p, d, sight, marks, w.stamp, pix, tex);
    }
}

// The pixel size is a constant here, so each store is a plain move rather than a call.
template <int kBytes> void StoreBytes(uint8_t* p, int32_t c) {
    const uint32_t w = uint32_t(c);
    std::memcpy(p, &w, kBytes);
}

// Pixel x of a row whose last pixel is `last`. A 3-byte pixel is stored as a whole word whose
// fourth byte the next pixel overwrites: a 3-byte store is two stores, and slow to read back.
template <int kBytes> void StorePixel(uint8_t* out, int x, int last, int32_t c) {
    if (kBytes == 3 && x < last)
        StoreBytes<4>(out + size_t(x) * 3, c);
    else
        StoreBytes<kBytes>(out + size_t(x) * kBytes, c);
}

// Samples are whole texture words. When every word of the row is below 2^24 the weighted
// sum (weights adding to 100) stays below 2^31, so 32-bit unsigned sums give the same
// quotient as 64-bit ones and the loop can run several pixels at once.
template <int kOv, int kReach, int kBytes, bool kNarrow>
void FilterRow(int picwidth, const int32_t* pix, const int (&w)[kReach + 1], uint8_t* out) {
    for (int x = 0; x < picwidth; ++x) {
        const int32_t* s = pix + size_t(x) * kOv;
        if constexpr (kNarrow) {
            uint32_t sum = uint32_t(w[0]) * uint32_t(s[0]);
            for (int k = 1; k <= kReach; ++k) sum += uint32_t(w[k]) * (uint32_t(s[-k]) + uint32_t(s[k]));
            StorePixel<kBytes>(out, x, picwidth - 1, int32_t(sum / 100));
        } else {
            int64_t sum = int64_t(w[0]) * s[0];
            for (int k = 1; k <= kReach; ++k) sum += int64_t(w[k]) * (int64_t(s[-k]) + s[k]);
            StorePixel<kBytes>(out, x, picwidth - 1, int32_t(sum / 100));
        }
    }
}

template <int kBytes, bool kNarrow> void OutputPixels(const StereoPlan& p, const int32_t* pix, uint8_t* out) {
    static const int w2[] = {42, 24, 5};
    static const int w4[] = {26, 18, 12, 7};
    static const int w6[] = {14, 14, 11, 8, 5, 3, 2};
    switch (p.ov) {
    case 1:
        if constexpr (kBytes == 4)
            std::memcpy(out, pix, size_t(p.picwidth) * 4);
        else
            for (int x = 0; x < p.picwidth; ++x) StorePixel<kBytes>(out, x, p.picwidth - 1, pix[x]);
        break;
    case 2: FilterRow<2, 2, kBytes, kNarrow>(p.picwidth, pix, w2, out); break;
    case 4: FilterRow<4, 3, kBytes, kNarrow>(p.picwidth, pix, w4, out); break;
    default: FilterRow<6, 6, kBytes, kNarrow>(p.picwidth, pix, w6, out); break;
    }
}

void OutputRow(const StereoPlan& p, int32_t* pix, bool narrow, uint8_t* out) {
    if (p.n > 0) {
        std::fill(pix - kGuard, pix, pix[0]);
        std::fill(pix + p.n, pix + p.n + kGuard, pix[p.n - 1]);
    }
    if (narrow) {
        switch (p.fB) {
        case 4: OutputPixels<4, true>(p, pix, out); break;
        case 3: OutputPixels<3, true>(p, pix, out); break;
        default: OutputPixels<2, true>(p, pix, out); break;
        }
    } else {
        switch (p.fB) {
        case 4: OutputPixels<4, false>(p, pix, out); break;
        case 3: OutputPixels<3, false>(p, pix, out); break;
        default: OutputPixels<2, false>(p, pix, out); break;
        }
    }
}

}  // namespace

bool BuildStereoPlan(const StereoOptions& opts, int width, int fbpp, int bw, int bbpp, StereoPlan& p) {
    if (!ValidateStereoOptions(opts).empty() || !SupportedBits(fbpp) || !SupportedBits(bbpp)) return false;
    if (width < 0 || bw < 1) return false;
    p.width = width;
    p.fB = fbpp >> 3;
    p.bB = bbpp >> 3;
    p.picwidth = width & ~1;
    p.wrap = std::max(bw & ~1, 1);  // a 1-pixel-wide texture still has its one column
    p.ov = opts.oversam;
    if (int64_t(p.picwidth) * p.ov > std::numeric_limits<int32_t>::max() - 2 * kGuard) return false;
    p.n = p.picwidth * p.ov;
    p.browBytes = size_t(bw) * size_t(p.bB);
    p.bkdepth = opts.bkdepth;
    p.relief = opts.relief;
    p.hidden = opts.dohiddenrem != 0;
    const size_t levels = size_t(opts.relief) + 1;
    p.half.resize(levels);
    p.sep.resize(levels);
    p.v.resize(levels);
    for (size_t h = 0; h < levels; ++h) {
        const int64_t t = int64_t(h) + opts.bkdepth;
        p.sep[h] = StereoSeparation(opts, int64_t(h), p.ov);
        p.half[h] = p.sep[h] / 2;
        p.v[h] = float(double(opts.o - t) * 2.0 / opts.Eye);
    }
    // The ray's first heights per depth offset, as the walk would compute them.
    // Heights above every depth (which lie below 0) are kept as the largest int.
    if (p.hidden) {
        p.sight32.resize(levels * kSightSteps);
        p.sightBack.resize(levels * kSightSteps);
        for (size_t h = 0; h < levels; ++h)
            for (int dx = 1; dx <= kSightSteps; ++dx) {
                const int64_t u = int64_t(double(dx) * double(p.v[h]) + double(int64_t(h) + opts.bkdepth));
                const int32_t u32 = int32_t(std::min<int64_t>(u, std::numeric_limits<int32_t>::max()));
                p.sight32[h * kSightSteps + size_t(dx - 1)] = u32;
                p.sightBack[h * kSightSteps + size_t(kSightSteps - dx)] = u32;
            }
    }
    return true;
}

bool StereoRowWork::Allocate(const StereoPlan& p) {
    marks = AllocateArray<uint32_t>(size_t(p.n) + 1);
    if (marks) std::fill(marks.get(), marks.get() + p.n + 1, 0u);
    stamp = 0;
    pixels = AllocateArray<int32_t>(size_t(p.n) + 2 * kGuard);
    zs = p.hidden ? AllocateArray<int32_t>(4 * (size_t(p.n) + 2 * kSightSteps)) : nullptr;
    words = p.bB == 4 ? nullptr : AllocateArray<uint32_t>(size_t(p.wrap));
    return marks && pixels && (!p.hidden || zs) && (p.bB == 4 || words);
}

void MakeStereoRow(const StereoPlan& p, StereoRowWork& w, const int32_t* d, const uint8_t* wallRow, uint8_t* outRow) {
    const bool direct = p.bB == 4;
    int32_t* pix = w.pixels.get() + kGuard;
    // Every sample is one of the row's first wrap texture words.
    uint32_t any = 0;
    if (!direct) {
        for (int c = 0; c < p.wrap; ++c) any |= w.words[size_t(c)] = LoadWord(wallRow, size_t(c) * p.bB, p.browBytes) & p.texMask;
    } else if (p.ov > 1) {
        for (int c = 0; c < p.wrap; ++c) any |= LoadWord(wallRow, size_t(c) * 4, p.browBytes);
        any &= p.texMask;
    }
    if (p.hidden) {
        int32_t highest = 0;
        for (int x = 0; x < p.picwidth; ++x) highest = std::max(highest, d[x]);
        int32_t* zs = w.zs.get() + kSightSteps;
        for (int x = 0, px = 0; px < p.picwidth; ++px)
            for (int k = 0; k < p.ov; ++k) zs[x++] = d[px] + p.bkdepth;
        if (p.n > 0) {
            std::fill(zs - kSightSteps, zs, zs[0]);
            std::fill(zs + p.n, zs + p.n + kSightSteps, zs[p.n - 1]);
        }
        int32_t* fromStart = zs + p.n + kSightSteps;
        int32_t* toEnd = fromStart + p.n + 2 * kSightSteps;
        int32_t* near = toEnd + p.n + 2 * kSightSteps;
        RunningMax(zs - kSightSteps, p.n, 2 * kSightSteps + 1, fromStart, toEnd, near);
        const Sight sight{zs, near, p.n, int64_t(highest) + p.bkdepth};
        if (direct)
            BuildSamples<true, true>(p, d, sight, w, pix, {wallRow, nullptr, p.texMask});
        else
            BuildSamples<false, true>(p, d, sight, w, pix, {wallRow, w.words.get(), p.texMask});
    } else if (direct) {
        BuildSamples<true, false>(p, d, {}, w, pix, {wallRow, nullptr, p.texMask});
    } else {
        BuildSamples<false, false>(p, d, {}, w, pix, {wallRow, w.words.get(), p.texMask});
    }
    OutputRow(p, pix, any < (1u << 24), outRow);

    if (p.width & 1) {
        uint8_t* last = outRow + size_t(p.width - 1) * p.fB;
        if (p.width > 1)
            std::memcpy(last, last - p.fB, size_t(p.fB));
        else
            StoreWord(last, int32_t(LoadWord(wallRow, 0, p.browBytes) & p.texMask), p.fB);
    }
}

bool MakeStereoRows(const StereoPlan& p, const DepthRows& depth, int y0, int y1,
                    const std::function<const uint8_t*(int y)>& wallRow, const std::function<uint8_t*(int y)>& outRow) {
    std::atomic<bool> ok{true};
    // Rows do not depend on each other; each piece of rows has its own work arrays.
    ParallelFor(y0, y1, 4, [&](int first, int last) {
        StereoRowWork work;
        auto d = AllocateArray<int32_t>(size_t(p.width) + 1);
        if (!d || !work.Allocate(p)) return ok.store(false, std::memory_order_relaxed);
        for (int y = first; y < last; ++y) {
            depth.Row(y, d.get());
            MakeStereoRow(p, work, d.get(), wallRow(y), outRow(y));
        }
    });
    return ok.load();
}

int MakeStereo(const uint8_t* Wall, const uint8_t* Z, uint8_t* T, int Width, int Height, int fbpp, int bw, int bh,
               int bbpp, const StereoOptions& opts) {
    StereoPlan p;
    try {
        if (!BuildStereoPlan(opts, opts.OutWidth ? opts.OutWidth : Width, fbpp, bw, bbpp, p)) return 0;
        if (Width < 0 || Height < 0 || bh < 1) return 0;
        // An empty depth picture has nothing to scale to another size.
        if (Width == 0 || Height == 0) return opts.OutWidth == 0 && opts.OutHeight == 0 ? 1 : 0;
        if (!Wall || !Z || !T) return 0;
        const int outH = opts.OutHeight ? opts.OutHeight : Height;
        const DepthRows depth({Width, Height, Z, ptrdiff_t(DibStride(Width, fbpp)), fbpp, nullptr}, opts, p.width, outH);
        const size_t tstride = DibStride(p.width, fbpp), bstride = DibStride(bw, bbpp);
        return MakeStereoRows(
                   p, depth, 0, outH, [&](int y) { return Wall + size_t(y % bh) * bstride; },
                   [&](int y) { return T + size_t(y) * tstride; })
                   ? 1
                   : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
