// Bevelled shapes and smoothed depth: the distance transform against a search of every pair,
// a bevel's profile, and smoothing that keeps flat flat and a step where it was.
#include "stereo/depth_filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TEST(DepthFilters, DistanceIsExactAndTheBevelRisesOverItsWidth) {
    // Random blobs, measured against the nearest outside pixel found by looking at all of them
    // (and the frame just beyond the border).
    const int W = 37, H = 23;
    std::mt19937 rng(7);
    std::vector<uint8_t> in(W * H);
    for (auto& v : in) v = rng() % 5 != 0;
    const std::vector<float> d2 = SquaredDistanceToOutside(in, W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int best = std::min({x + 1, y + 1, W - x, H - y});
            best *= best;
            for (int v = 0; v < H; ++v)
                for (int u = 0; u < W; ++u)
                    if (!in[v * W + u]) best = std::min(best, (u - x) * (u - x) + (v - y) * (v - y));
            ASSERT_EQ(d2[y * W + x], float(best)) << x << "," << y;
        }
    // A bar 41 pixels high: rows 10 pixels in are white, the bevel of 8 rises by 1/8 a pixel.
    const int w = 64, h = 61;
    std::vector<uint8_t> bar(w * h, 0);
    for (int y = 10; y <= 50; ++y)
        for (int x = 0; x < w; ++x) bar[y * w + x] = 1;
    const std::vector<uint16_t> b = BevelledDepth(bar, w, h, 8);
    // Outside; the edge row half a pixel in; 8.5 - 0.5 = the whole bevel; the same from below.
    const int want[][2] = {{9, 0}, {10, 4096}, {13, 28672}, {18, 65535}, {30, 65535}, {47, 28672}, {51, 0}};
    for (const auto& [y, v] : want) EXPECT_EQ(b[y * w + 32], v) << y;
}

TEST(DepthFilters, SmoothingKeepsFlatFlatAndAStepInPlace) {
    const int W = 40, H = 20;
    std::vector<uint16_t> flat(W * H, 30000);
    EXPECT_EQ(SmoothDepth(flat, W, H, 5), flat);
    // A step from 10000 to 50000 at column 20 with jags of +-200 on both sides.
    std::vector<uint16_t> step(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) step[y * W + x] = uint16_t((x < 20 ? 10000 : 50000) + ((x + y) % 2 ? 200 : -200));
    const std::vector<uint16_t> s = SmoothDepth(step, W, H, 4);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int want = x < 20 ? 10000 : 50000;
            EXPECT_NEAR(s[y * W + x], want, 100) << x << "," << y;  // jags smoothed, the edge not moved
        }
}

}  // namespace
