#include "stereo/make_stereo.h"

#include "reference_stereo.h"
#include "stereo_test_pictures.h"

#include <gtest/gtest.h>

namespace {

Dib Stereo(const Dib& wall, const Dib& depth, const StereoOptions& opts) {
    Dib out(depth.w, depth.h, depth.bpp);
    EXPECT_EQ(1, MakeStereo(wall.bits.data(), depth.bits.data(), out.bits.data(), depth.w, depth.h, depth.bpp, wall.w,
                            wall.h, wall.bpp, opts));
    return out;
}

// Row y repeats its first `period` pixels, which are texture columns 0.. of texture row y % bh.
void ExpectRowsRepeat(const Dib& out, const Dib& wall, int period, int wrap, int width) {
    for (int y = 0; y < out.h; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t want = x < period ? wall.pixel(x % wrap, y % wall.h) : out.pixel(x - period, y);
            ASSERT_EQ(want, out.pixel(x, y)) << "x " << x << " y " << y;
        }
    }
}

TEST(MakeStereo, DepthLevelIsLowSevenBitsOfFirstByteAndSetsSeparation) {
    // Defaults: 150 * t / (t - 700) with t = level - 800; level 0 gives 80, level 127 gives 73.
    struct Case {
        uint8_t first;
        int invert;
        int period;
    } cases[] = {
        {0, 0, 80}, {128, 0, 80}, {127, 0, 73}, {255, 0, 73},
        {127, 1, 80}, {255, 1, 80}, {0, 1, 73}, {128, 1, 73},
    };
    Dib wall = RandomTexture(256, 16, 32, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << int(c.first) << " invert " << c.invert);
        StereoOptions opts;
        opts.invert = c.invert;
        Dib out = Stereo(wall, FlatDepth(300, 16, 32, c.first), opts);
        ExpectRowsRepeat(out, wall, c.period, 256, 300);
    }
}

TEST(MakeStereo, NarrowAndLowBackgroundsRepeatInsideEachPeriod) {
    struct Case {
        int bw, bh, wrap, bpp;
    } cases[] = {
        {30, 5, 30, 32}, {31, 5, 30, 32}, {200, 1, 200, 24}, {7, 3, 6, 24}, {1, 2, 1, 32}, {45, 64, 44, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "background " << c.bw << "x" << c.bh << "x" << c.bpp);
        Dib wall = RandomTexture(c.bw, c.bh, c.bpp, 7);
        Dib out = Stereo(wall, FlatDepth(240, 40, c.bpp, 0), StereoOptions{});
        ExpectRowsRepeat(out, wall, 80, c.wrap, 240);
    }
}

TEST(MakeStereo, OddWidthsAndPaddedRowsKeepEveryRowInPlace) {
    // Odd widths at 24 and 16 bits per pixel give padded rows; the last column repeats its neighbour.
    struct Case {
        int width, fbpp, bw, bbpp;
    } cases[] = {
        {81, 24, 101, 24}, {81, 32, 33, 32}, {163, 24, 97, 32}, {99, 16, 255, 24}, {162, 24, 90, 24}, {1, 24, 3, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " at " << c.fbpp << ", texture " << c.bw);
        Dib wall = RandomTexture(c.bw, 9, c.bbpp, 3);
        Dib out = Stereo(wall, FlatDepth(c.width, 20, c.fbpp, 0), StereoOptions{});
        int even = c.width & ~1;
        for (int y = 0; y < out.h; ++y) {
            for (int x = 0; x < even; ++x) {
                uint32_t want = x < 80 ? wall.pixel(x % (c.bw & ~1), y % 9) : out.pixel(x - 80, y);
                ASSERT_EQ(want & ((1ull << c.fbpp) - 1), out.pixel(x, y)) << x << "," << y;
            }
            if (c.width & 1) {
                uint32_t want = c.width > 1 ? out.pixel(c.width - 2, y) : wall.pixel(0, y % 9);
                ASSERT_EQ(want & ((1ull << c.fbpp) - 1), out.pixel(c.width - 1, y)) << "last column, row " << y;
            }
        }
    }
}

TEST(MakeStereo, ThreeBytePixelWordTakesNextBlueAndZeroPastTheRow) {
    // A 4 x 1 texture at 24 bits fills its rows exactly: the word of column 3 would reach one
    // byte past the buffer. Output at 32 bits shows each word's fourth byte.
    Dib wall(4, 1, 24);
    const uint32_t colours[] = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    for (int x = 0; x < 4; ++x) wall.setPixel(x, 0, colours[x]);
    Dib out = Stereo(wall, FlatDepth(100, 2, 32, 0), StereoOptions{});
    const uint32_t words[] = {0x66112233, 0x99445566, 0xCC778899, 0x00AABBCC};
    for (int x = 0; x < 80; ++x) EXPECT_EQ(words[x % 4], out.pixel(x, 1)) << x;
}

TEST(MakeStereo, UniformBackgroundPassesEveryFilterUnchanged) {
    // At 24 bits a word carries the next pixel's blue, and nothing past the row, so only the
    // unfiltered output keeps such a texture exact.
    const uint32_t colour = 0x00C08040;
    const std::pair<int, int> modes[] = {{1, 32}, {2, 32}, {4, 32}, {6, 32}, {1, 24}};
    for (auto [ov, bpp] : modes)
        for (int hidden : {0, 1}) {
                SCOPED_TRACE(testing::Message() << "oversam " << ov << " hidden " << hidden << " bpp " << bpp);
                Dib wall(50, 7, bpp);
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < 50; ++x) wall.setPixel(x, y, colour);
                Dib depth = RandomTexture(123, 35, bpp, 11);
                StereoOptions opts;
                opts.oversam = ov;
                opts.dohiddenrem = hidden;
                Dib out = Stereo(wall, depth, opts);
                for (int y = 0; y < out.h; ++y)
                    for (int x = 0; x < out.w; ++x) ASSERT_EQ(colour, out.pixel(x, y) & 0xFFFFFF) << x << "," << y;
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
        EXPECT_EQ(Stereo(wall, stepped, plain).bits, Stereo(wall, depth, blocks).bits) << "hidden " << hidden;
        // The block rows ignore inversion too; the others do not.
        blocks.invert = 1;
        Dib inverted = Stereo(wall, depth, blocks), straight = Stereo(wall, stepped, plain);
        for (int y = 0; y < 40; ++y) {
            bool same = std::equal(inverted.at(0, y), inverted.at(0, y) + 800, straight.at(0, y));
            EXPECT_EQ(y >= 8 && y < 32, same) << "row " << y;
        }
    }
}

TEST(MakeStereo, HiddenRemovalFreesOnlyPairsWhoseSightIsBlocked) {
    // Level 127 at columns 200..209, level 0 elsewhere; defaults. A level-0 sample gains 20 depth
    // units per step toward the eyes, so it is hidden within 6 columns of the raised block:
    // samples 194..199 and 210..215 lose their pairs, whose right ends 234..239 and 250..255 are
    // free unless the block's own pairs (right ends 237..246) take them.
    Dib wall = RandomTexture(512, 1, 32, 9);
    Dib depth = FlatDepth(400, 1, 32, 0);
    for (int x = 200; x < 210; ++x) depth.setPixel(x, 0, 127);
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
    Dib wall = RandomTexture(64, 4, 32, 2);
    Dib depth = FlatDepth(64, 4, 32, 0);
    struct Case {
        const char* what;
        StereoOptions opts;
        int fbpp, bbpp, bw;
    } cases[] = {
        {"oversam 3", {3}, 32, 32, 64},          {"depth on the screen", {1, -127}, 32, 32, 64},
        {"eye 0", {1, -800, 0}, 32, 32, 64},     {"distance 0", {1, -800, 150, 0}, 32, 32, 64},
        {"8-bit depth", {}, 8, 32, 64},          {"8-bit texture", {}, 32, 8, 64},
        {"empty texture", {}, 32, 32, 0},
    };
    for (const Case& c : cases) {
        Dib out(64, 4, 32);
        std::fill(out.bits.begin(), out.bits.end(), 0xEE);
        EXPECT_EQ(0, MakeStereo(wall.bits.data(), depth.bits.data(), out.bits.data(), 64, 4, c.fbpp, c.bw, 4, c.bbpp,
                                c.opts))
            << c.what;
        EXPECT_EQ(std::vector<uint8_t>(out.bits.size(), 0xEE), out.bits) << c.what;
    }
}

// Depth pictures with plateaus and noise, so links, overwrites and blocked sight all occur.
Dib MixedDepth(int w, int h, int bpp, uint32_t seed) {
    Dib d(w, h, bpp);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        int level = 0;
        for (int x = 0; x < w; ++x) {
            if (rng() % 9 == 0) level = int(rng() % 256);
            d.setPixel(x, y, rng() % 5 == 0 ? rng() : uint32_t(level));
        }
    }
    return d;
}

TEST(MakeStereo, MatchesReferenceForEveryOptionCombination) {
    const StereoOptions geometries[] = {{}, {1, -140, 60, 300}, {1, -128, 300, 40}};
    int runs = 0;
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
                            int bw = 13 + runs % 40, bh = 1 + runs % 11;
                            Dib wall = RandomTexture(bw, bh, bbpp, runs);
                            Dib depth = MixedDepth(width, 36, fbpp, runs + 1000);
                            Dib fast(width, 36, fbpp), plain(width, 36, fbpp);
                            ASSERT_EQ(1, MakeStereo(wall.bits.data(), depth.bits.data(), fast.bits.data(), width, 36,
                                                    fbpp, bw, bh, bbpp, opts));
                            ReferenceMakeStereo(wall.bits.data(), depth.bits.data(), plain.bits.data(), width, 36,
                                                fbpp, bw, bh, bbpp, opts);
                            ASSERT_EQ(plain.bits, fast.bits)
                                << "oversam " << ov << " hidden " << opts.dohiddenrem << " invert " << opts.invert
                                << " blocks " << opts.BlocksOnTop << " width " << width << " fbpp " << fbpp
                                << " bbpp " << bbpp << " bw " << bw << " bh " << bh << " eye " << g.Eye;
                            ++runs;
                        }
}

}  // namespace
