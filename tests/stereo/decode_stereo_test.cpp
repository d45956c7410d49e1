// Stereograms read back: the generator's own, one made here straight from the separation
// formula, and pictures that do not repeat at all.
#include "stereo/decode_stereo.h"
#include "stereo/stereo_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr int kW = 640, kH = 80;

// Smooth random hills in grey, white near.
Image32 RandomDepth(uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    double hills[4][4];
    for (auto& h : hills) h[0] = u(rng) * kW, h[1] = u(rng) * kH, h[2] = 20 + 30 * u(rng), h[3] = u(rng);
    Image32 d(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            double v = 0;
            for (auto& h : hills) v += h[3] * std::exp(-(std::pow(x - h[0], 2) + std::pow(y - h[1], 2)) / (2 * h[2] * h[2]));
            d.at(x, y) = uint32_t(std::lround(std::min(v, 1.0) * 255)) * 0x010101u;
        }
    return d;
}

// A photo-like texture: smooth coloured waves with a little grain.
Image32 SmoothTexture(int w, int h) {
    Image32 t(w, h);
    std::mt19937 rng(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t px = 0;
            for (int c = 0; c < 3; ++c)
                px = px << 8 | uint32_t(std::clamp(128 + 90 * std::sin(x * (0.11 + 0.07 * c) + y * 0.05 * c) +
                                                       int(rng() % 24) - 12, 0.0, 255.0));
            t.at(x, y) = px;
        }
    return t;
}

DecodeFidelity DecodeAndCompare(const Image32& stereo, const Image32& depth, const StereoOptions& o) {
    DecodedStereo d;
    EXPECT_EQ(DecodeStereogram(ViewOf(stereo), &o, d), DecodeResult::Found);
    DecodeFidelity f;
    EXPECT_TRUE(CompareDecoded(d, ViewOf(depth), o, f));
    return f;
}

TEST(DecodeStereo, GeneratorsStereogramsDecodeToTheirDepth) {
    StereoOptions o;
    o.relief = 300;  // separations 62 to 80 pixels
    const Image32 smooth = SmoothTexture(160, 64);
    for (int ov : {1, 2, 4, 6})
        for (int hidden : {0, 1})
            for (int invert : {0, 1})
                for (bool dots : {true, false}) {
                    SCOPED_TRACE(testing::Message() << "oversample " << ov << " hidden " << hidden << " invert "
                                                    << invert << (dots ? " random dots" : " smooth texture"));
                    // Oversampling 4 and 6 blur a smooth texture's fractional repeats too far.
                    if (!dots && ov > 2) continue;
                    o.oversam = ov, o.dohiddenrem = hidden, o.invert = invert;
                    const Image32 depth = RandomDepth(uint32_t(ov * 4 + hidden * 2 + invert));
                    Image32 stereo;
                    ASSERT_TRUE(MakeStereoPicture(dots ? RandomDotTexture(80, false, 3) : smooth, depth, o, stereo));
                    const DecodeFidelity f = DecodeAndCompare(stereo, depth, o);
                    EXPECT_GE(f.within, 0.95);
                    // Random dots match cleanly at every oversampling, all but the 44 columns at
                    // each edge (half the farthest separation and the window), whose depth the
                    // picture does not hold.
                    if (dots) {
                        EXPECT_GE(f.sure, 0.8);
                    }
                    // A blurred fractional repeat is sure less often, never absent.
                    EXPECT_GE(f.sure, 0.08);
                }
}

TEST(DecodeStereo, FormulaStereogramDecodesTheSame) {
    // Each pixel links the pair half its separation either side of it, separation
    // Eye * z / (z - distance) with z the depth below the screen; unlinked pixels are random.
    const StereoOptions o{1, -800, 150, 700, 0, 0, 0, kDepthGrey, 300};
    const Image32 depth = RandomDepth(11);
    Image32 stereo(kW, kH);
    std::mt19937 rng(5);
    for (int y = 0; y < kH; ++y) {
        std::vector<int> same(kW);
        for (int x = 0; x < kW; ++x) same[size_t(x)] = x;
        for (int x = 0; x < kW; ++x) {
            const double z = -800 + int(depth.at(x, y) & 0xFF) * 300 / 255;
            const int s = int(150 * z / (z - 700)), left = x - s / 2;
            if (left >= 0 && left + s < kW) same[size_t(left + s)] = left;
        }
        for (int x = 0; x < kW; ++x)
            stereo.at(x, y) = same[size_t(x)] == x ? rng() & 0xFFFFFF : stereo.at(same[size_t(x)], y);
    }
    const DecodeFidelity f = DecodeAndCompare(stereo, depth, o);
    EXPECT_GE(f.within, 0.95);
    EXPECT_GE(f.sure, 0.6);
    // Defaults: 150 x 800 / 1500 = 80 pixels at the background, 150 x 673 / 1373 = 73.5 at the
    // nearest (relief 127); crossed eyes see the widest separation nearest.
    StereoOptions p{1, -800, 150, 700, 0, 0, 0, kDepthGrey, 127}, c = p;
    c.viewing = kViewCross;
    for (const auto& [sep, parallel] : {std::pair{80.0, 0.0}, std::pair{72.0, 127.0}}) {
        EXPECT_NEAR(DepthOffsetOfSeparation(p, sep), parallel, 1e-9) << sep;
        EXPECT_NEAR(DepthOffsetOfSeparation(c, sep), 127 - parallel, 1e-9) << sep;
    }
}

TEST(DecodeStereo, PicturesWithoutRepeatsAreNoStereogram) {
    Image32 noise(kW, kH);
    std::mt19937 rng(9);
    for (uint32_t& p : noise.px) p = rng() & 0xFFFFFF;
    // Photo-like: random brightness on a 16-pixel grid blended smoothly, with grain; nothing
    // in it repeats (the waves of the smooth texture above nearly do, at shifts wider than it).
    Image32 photo(kW, kH);
    std::vector<double> grid(size_t(kW / 16 + 2) * size_t(kH / 16 + 2));
    for (double& g : grid) g = rng() % 200;
    auto at = [&](int gx, int gy) { return grid[size_t(gy) * size_t(kW / 16 + 2) + size_t(gx)]; };
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double fx = (x % 16) / 16.0, fy = (y % 16) / 16.0;
            const int gx = x / 16, gy = y / 16;
            const double v = (at(gx, gy) * (1 - fx) + at(gx + 1, gy) * fx) * (1 - fy) +
                             (at(gx, gy + 1) * (1 - fx) + at(gx + 1, gy + 1) * fx) * fy + rng() % 24;
            photo.at(x, y) = uint32_t(v) * 0x010101u;
        }
    const StereoOptions o;
    for (const Image32* pic : {&noise, &photo})
        for (const StereoOptions* opts : {&o, (const StereoOptions*)nullptr}) {
            DecodedStereo d;
            EXPECT_EQ(DecodeStereogram(ViewOf(*pic), opts, d), DecodeResult::NoStereogram) << (pic == &noise);
        }
}

TEST(DecodeStereo, WithoutOptionsASmallNearShapeStandsOut) {
    // A disc covering a few per cent of the picture repeats weakly beside the background: the
    // range found from the picture must still reach its separation.
    for (int cx : {200, 400}) {
        Image32 depth(480, 200);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 480; ++x) depth.at(x, y) = (x - cx) * (x - cx) + (y - 100) * (y - 100) < 2500 ? 0xFFFFFF : 0;
        Image32 stereo;
        ASSERT_TRUE(MakeStereoPicture(RandomDotTexture(80, false, 3), depth, StereoOptions{}, stereo));
        DecodedStereo d;
        ASSERT_EQ(DecodeStereogram(ViewOf(stereo), nullptr, d), DecodeResult::Found) << cx;
        FillUnsure(d);
        const std::vector<uint16_t> got = DecodedDepth16(d, nullptr);
        EXPECT_GT(got[100 * 480 + size_t(cx)], 60000) << cx;   // the disc nearest
        EXPECT_LT(got[100 * 480 + size_t(cx < 240 ? 400 : 100)], 5000) << cx;  // the background farthest
    }
}

}  // namespace
