#include "stereo/make_stereo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace {

// A bottom-up bitmap with rows padded to 4 bytes, allocated to its exact size so that ASan
// sees any read past its end. Pixels are little-endian words of `bpp` bits.
struct Dib {
    int w, h, bpp;
    std::vector<uint8_t> bits;
    Dib(int w_, int h_, int bpp_, const std::function<uint32_t(int, int)>& fill = {})
        : w(w_), h(h_), bpp(bpp_), bits(stride() * size_t(h_)) {
        for (int y = 0; fill && y < h; ++y)
            for (int x = 0; x < w; ++x) setPixel(x, y, fill(x, y));
    }
    size_t stride() const { return ((size_t(bpp) * w + 31) / 32) * 4; }
    int bytes() const { return bpp / 8; }
    uint8_t* at(int x, int y) { return bits.data() + y * stride() + x * bytes(); }
    const uint8_t* at(int x, int y) const { return bits.data() + y * stride() + x * bytes(); }
    uint32_t pixel(int x, int y) const {
        uint32_t v = 0;
        for (int k = 0; k < bytes(); ++k) v |= uint32_t(at(x, y)[k]) << (8 * k);
        return v;
    }
    void setPixel(int x, int y, uint32_t v) {
        for (int k = 0; k < bytes(); ++k) at(x, y)[k] = uint8_t(v >> (8 * k));
    }
};

// Random colours, fourth byte 0 as a 32-bit display gives it.
Dib RandomTexture(int w, int h, int bpp, uint32_t seed) {
    std::mt19937 rng(seed);
    return Dib(w, h, bpp, [&](int, int) { return rng() & 0xFFFFFF; });
}

// Every depth pixel's first byte is `first`; the other bytes are noise that must not count.
Dib FlatDepth(int w, int h, int bpp, uint8_t first) {
    return Dib(w, h, bpp, [=](int, int) { return 0x00A5C300u | first; });
}

Dib Stereo(const Dib& wall, const Dib& depth, const StereoOptions& opts) {
    Dib out(depth.w, depth.h, depth.bpp);
    EXPECT_EQ(1, MakeStereo(wall.bits.data(), depth.bits.data(), out.bits.data(), depth.w, depth.h, depth.bpp, wall.w,
                            wall.h, wall.bpp, opts));
    return out;
}

// A plain generator (a division per sample, explicit clamps) that MakeStereo must match byte for byte.
int32_t ReadWord(const uint8_t* row, size_t at, size_t rowBytes) {
    uint32_t w = 0;
    for (size_t k = 0; k < 4; ++k)
        if (at + k < rowBytes) w |= uint32_t(row[at + k]) << (8 * k);
    return int32_t(w);
}

Dib Reference(const Dib& wall, const Dib& depth, const StereoOptions& opts) {
    const int oversam = opts.oversam, bkdepth = opts.bkdepth, Eye = opts.Eye, o = opts.o;
    const int fb = depth.bytes(), bb = wall.bytes(), picwidth = depth.w & ~1, n = picwidth * oversam;
    const int wrap = std::max(wall.w & ~1, 1);
    const size_t browBytes = size_t(wall.w) * bb;
    const std::vector<int> taps = oversam == 1   ? std::vector<int>{100}
                                  : oversam == 2 ? std::vector<int>{42, 24, 5}
                                  : oversam == 4 ? std::vector<int>{26, 18, 12, 7}
                                                 : std::vector<int>{14, 14, 11, 8, 5, 3, 2};
    std::vector<int> z(picwidth), Link(n);
    std::vector<int32_t> pixels(n);
    auto sample = [&](long i) { return int64_t(pixels[std::clamp(i, 0L, long(n - 1))]); };
    auto zAt = [&](long pos) { return z[std::clamp(pos / oversam, 0L, long(picwidth - 1))]; };
    auto put = [&](uint8_t* p, int32_t c) {
        for (int k = 0; k < fb; ++k) p[k] = uint8_t(uint32_t(c) >> (8 * k));
    };
    Dib out(depth.w, depth.h, depth.bpp);
    for (int y = 0; y < depth.h; ++y) {
        const uint8_t* W = wall.at(0, y % wall.h);
        for (int i = 0; i < n; ++i) Link[i] = i;
        int highest = bkdepth;
        for (int x = 0; x < picwidth; ++x) {
            int h = depth.at(x, y)[0] & 127;
            if (opts.BlocksOnTop && y >= 8 && y < 32) h = (x / 32) % 2 == 1 ? 32 : 0;
            else if (opts.invert) h = ~depth.at(x, y)[0] & 127;
            z[x] = h + bkdepth;
            highest = std::max(highest, z[x]);
        }
        for (int x = 0; x < n; ++x) {
            int t = z[x / oversam];
            int64_t separation = int64_t(__int128(Eye) * oversam * t / (int64_t(t) - o));
            int64_t left = x - separation / 2, right = left + separation;
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
        int32_t c = 0;
        for (int x = 0, pp = 0; x < n; ++x) {
            if (Link[x] != x) {
                pixels[x] = pixels[Link[x]];
                continue;
            }
            if (pp++ % oversam == 0) c = ReadWord(W, size_t(x % wrap) * bb, browBytes);
            pixels[x] = c;
        }
        for (int x = 0; x < picwidth; ++x) {
            const long xx = long(x) * oversam;
            int64_t v = taps[0] * sample(xx);
            for (size_t k = 1; k < taps.size(); ++k) v += taps[k] * (sample(xx - long(k)) + sample(xx + long(k)));
            put(out.at(x, y), int32_t(v / 100));
        }
        if (depth.w == 1) put(out.at(0, y), ReadWord(W, 0, browBytes));
        else if (depth.w % 2) std::copy_n(out.at(depth.w - 2, y), fb, out.at(depth.w - 1, y));
    }
    return out;
}

TEST(MakeStereo, FlatDepthRowsRepeatTheirFirstPeriodForAnyBackgroundAndRowLayout) {
    // Defaults: period 150 * t / (t - 700) with t = level - 800; level 0 gives 80, level 127 gives
    // 73. The level is the low 7 bits of the first byte (the other bytes are noise). Narrow and
    // low backgrounds repeat inside each period (odd widths rounded down to even); odd widths and
    // 16/24-bit rows are padded, and the last column of an odd width repeats its neighbour (a
    // 1-pixel result takes the texture's first column).
    struct Case {
        int bw, bh, bbpp, width, fbpp;
        uint8_t first = 0;
        int invert = 0, period = 80;
    } cases[] = {
        {256, 16, 32, 300, 32, 128, 0, 80}, {256, 16, 32, 300, 32, 255, 0, 73}, {256, 16, 32, 300, 32, 255, 1, 80},
        {256, 16, 32, 300, 32, 128, 1, 73}, {31, 5, 32, 240, 32},  {200, 1, 24, 240, 24}, {7, 3, 24, 240, 24},
        {1, 2, 32, 240, 32},  {45, 64, 16, 240, 16}, {101, 9, 24, 81, 24}, {33, 9, 32, 81, 32}, {97, 9, 32, 163, 24},
        {255, 9, 24, 99, 16}, {90, 9, 24, 162, 24},  {3, 9, 24, 1, 24},
    };
    for (const Case& c : cases) {
        Dib wall = RandomTexture(c.bw, c.bh, c.bbpp, 7);
        StereoOptions opts;
        opts.invert = c.invert;
        Dib out = Stereo(wall, FlatDepth(c.width, 40, c.fbpp, c.first), opts);
        const int wrap = std::max(c.bw & ~1, 1);
        const uint32_t mask = uint32_t((1ull << c.fbpp) - 1);
        for (int y = 0; y < out.h; ++y)
            for (int x = 0; x < c.width; ++x) {
                uint32_t want = x == (c.width & ~1) ? (x ? out.pixel(x - 1, y) : wall.pixel(0, y % c.bh))
                                : x < c.period  ? wall.pixel(x % wrap, y % c.bh)
                                                : out.pixel(x - c.period, y);
                ASSERT_EQ(want & mask, out.pixel(x, y))
                    << "texture " << c.bw << "x" << c.bh << "x" << c.bbpp << ", width " << c.width << " at " << c.fbpp
                    << ", byte " << int(c.first) << " invert " << c.invert << ": " << x << "," << y;
            }
    }
}

TEST(MakeStereo, ThreeBytePixelWordTakesNextBlueAndZeroPastTheRow) {
    // A 4 x 1 texture at 24 bits fills its buffer exactly: column 3's word would reach one
    // byte past it. Output at 32 bits shows each word's fourth byte.
    const uint32_t colours[] = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    Dib wall(4, 1, 24, [&](int x, int) { return colours[x]; });
    Dib out = Stereo(wall, FlatDepth(100, 2, 32, 0), StereoOptions{});
    const uint32_t words[] = {0x66112233, 0x99445566, 0xCC778899, 0x00AABBCC};
    for (int x = 0; x < 80; ++x) EXPECT_EQ(words[x % 4], out.pixel(x, 1)) << x;
}

TEST(MakeStereo, UniformBackgroundPassesEveryFilterUnchanged) {
    // At 24 bits a word carries the next pixel's blue and nothing past the row, so only the
    // unfiltered output keeps such a texture exact.
    for (auto [ov, bpp] : {std::pair{1, 32}, {2, 32}, {4, 32}, {6, 32}, {1, 24}})
        for (int hidden : {0, 1}) {
            Dib wall(50, 7, bpp, [](int, int) { return 0xC08040u; });
            StereoOptions opts;
            opts.oversam = ov;
            opts.dohiddenrem = hidden;
            Dib out = Stereo(wall, RandomTexture(123, 35, bpp, 11), opts);
            for (int y = 0; y < out.h; ++y)
                for (int x = 0; x < out.w; ++x)
                    ASSERT_EQ(0xC08040u, out.pixel(x, y) & 0xFFFFFF)
                        << "oversam " << ov << " hidden " << hidden << " bpp " << bpp << " at " << x << "," << y;
        }
}

TEST(MakeStereo, BlocksReplaceDepthInRowsEightToThirtyOne) {
    // Rows 8..31 must look as if their depth were levels 0 and 32 in alternating 32-column steps.
    Dib wall = RandomTexture(128, 40, 32, 5);
    Dib depth = RandomTexture(200, 40, 32, 6);
    Dib stepped = depth;
    for (int y = 8; y < 32; ++y)
        for (int x = 0; x < 200; ++x) stepped.setPixel(x, y, (x / 32) % 2 ? 32 : 0);
    for (int hidden : {0, 1}) {
        StereoOptions blocks;
        blocks.BlocksOnTop = 1;
        blocks.dohiddenrem = hidden;
        StereoOptions plain = blocks;
        plain.BlocksOnTop = 0;
        Dib straight = Stereo(wall, stepped, plain);
        EXPECT_EQ(straight.bits, Stereo(wall, depth, blocks).bits) << "hidden " << hidden;
        // The block rows ignore inversion too; the others do not.
        blocks.invert = 1;
        Dib inverted = Stereo(wall, depth, blocks);
        for (int y = 0; y < 40; ++y)
            EXPECT_EQ(y >= 8 && y < 32, std::equal(inverted.at(0, y), inverted.at(0, y) + 800, straight.at(0, y)))
                << "row " << y;
    }
}

TEST(MakeStereo, HiddenRemovalFreesOnlyPairsWhoseSightIsBlocked) {
    // Level 127 at columns 200..209, level 0 elsewhere; defaults. A level-0 sample gains 20 depth
    // units per step toward the eyes, so it is hidden within 6 columns of the raised block:
    // samples 194..199 and 210..215 lose their pairs, whose right ends 234..239 and 250..255 are
    // free unless the block's own pairs (right ends 237..246) take them.
    Dib wall = RandomTexture(512, 1, 32, 9);
    Dib depth(400, 1, 32, [](int x, int) { return x >= 200 && x < 210 ? 127u : 0u; });
    StereoOptions opts;
    opts.dohiddenrem = 1;
    Dib hidden = Stereo(wall, depth, opts);
    for (int x : {234, 235, 236, 250, 251, 252, 253, 254, 255}) EXPECT_EQ(wall.pixel(x, 0), hidden.pixel(x, 0)) << x;
    for (int x : {237, 240, 246, 300, 399}) EXPECT_NE(wall.pixel(x, 0), hidden.pixel(x, 0)) << x;
    Dib shown = Stereo(wall, depth, StereoOptions{});
    for (int x : {234, 235, 236, 250, 255, 300}) EXPECT_EQ(shown.pixel(x - 80, 0), shown.pixel(x, 0)) << x;
    EXPECT_EQ(shown.pixel(300, 0), hidden.pixel(300, 0));
}

TEST(MakeStereo, RefusesUnusableInputsWithoutWriting) {
    Dib wall = RandomTexture(64, 4, 32, 2), depth = FlatDepth(64, 4, 32, 0);
    struct Case {
        const char* what;
        StereoOptions opts;
        int fbpp, bbpp, bw;
    } cases[] = {
        {"oversam 3", {3}, 32, 32, 64},      {"depth on the screen", {1, -127}, 32, 32, 64},
        {"eye 0", {1, -800, 0}, 32, 32, 64}, {"distance 0", {1, -800, 150, 0}, 32, 32, 64},
        {"8-bit depth", {}, 8, 32, 64},      {"8-bit texture", {}, 32, 8, 64}, {"empty texture", {}, 32, 32, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(64 * 4 * 4, 0xEE);
        const int made =
            MakeStereo(wall.bits.data(), depth.bits.data(), out.data(), 64, 4, c.fbpp, c.bw, 4, c.bbpp, c.opts);
        EXPECT_EQ(0, made) << c.what;
        EXPECT_EQ(std::vector<uint8_t>(out.size(), 0xEE), out) << c.what;
    }
}

TEST(MakeStereo, MatchesReferenceForEveryOptionCombination) {
    const StereoOptions geometries[] = {{}, {1, -140, 60, 300}, {1, -128, 300, 40}};
    int run = 0;
    for (const StereoOptions& g : geometries)
        for (int ov : {1, 2, 4, 6})
            for (int flags = 0; flags < 8; ++flags)
                for (int width : {97, 130})
                    for (int fbpp : {16, 24, 32})
                        for (int bbpp : {24, 32}) {
                            StereoOptions opts = g;
                            opts.oversam = ov;
                            opts.dohiddenrem = flags & 1;
                            opts.invert = (flags >> 1) & 1;
                            opts.BlocksOnTop = (flags >> 2) & 1;
                            Dib wall = RandomTexture(13 + run % 40, 1 + run % 11, bbpp, run);
                            // Plateaus and noise, so that links, overwrites and blocked sight all occur.
                            std::mt19937 rng(run + 1000);
                            int level = 0;
                            Dib depth(width, 36, fbpp, [&](int, int) {
                                if (rng() % 9 == 0) level = int(rng() % 256);
                                return rng() % 5 == 0 ? uint32_t(rng()) : uint32_t(level);
                            });
                            ASSERT_EQ(Reference(wall, depth, opts).bits, Stereo(wall, depth, opts).bits)
                                << "oversam " << ov << " flags " << flags << " width " << width << " fbpp " << fbpp
                                << " bbpp " << bbpp << " texture " << wall.w << "x" << wall.h << " eye " << g.Eye;
                            ++run;
                        }
}

}  // namespace
