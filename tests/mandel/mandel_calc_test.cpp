#include "mandel/escape_counts.h"
#include "mandel/mandel_calc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

using Order = std::vector<std::pair<int, int>>;

TEST(EscapeCount, FollowsTheSquaresOfThePreviousValue) {
    // Counts worked out by hand from z0 = c, escape when the previous |z|^2 exceeds 4.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case { double cr, ci; int32_t limit; int expected; } cases[] = {
        {3.0, 0.0, 256, 1}, {0.0, 3.0, 256, 1},  // |c|^2 > 4 escapes after one round
        {0.0, 0.0, 256, 0}, {-2.0, 0.0, 256, 0},  // 0 stays; -2 stays on modulus 2: not escaped
        {1.0, 0.0, 256, 3},   // 1, 2, 5, 26: the test sees 1, 4 (still <= 4), 25
        {0.5, 0.0, 6, 5},     // 0.75, 1.0625, 1.6289, 3.1533, 10.44
        {0.5, 0.0, 5, 0},     // the count reaching the limit means not escaped
        {nan, 0.0, 1000000, 1}, {0.0, nan, 1000000, 1},  // the first round runs on the zero squares
    };
    for (const Case& c : cases)
        EXPECT_EQ(fCalcMandel(c.cr, c.ci, c.limit), c.expected) << c.cr << "+" << c.ci << "i limit " << c.limit;
}

TEST(MandelDepth, SpreadsTheSmoothCountsOverTheReliefWithTheSetWhite) {
    // Corner 0, side 3 over 2 rows: c = 0, 1.5, 3, 1.5i, 1.5 + 1.5i, 3 + 1.5i give by hand n + 1 - log2(log2 |z|):
    // inside, 2.069, 1.336, 2.479, 1.882, 1.196, ranked (k + 0.5) x 65534 / 5; limit 2 takes c = 1.5 and 1.5i in.
    EXPECT_EQ(MandelDepth(0.0, 0.0, 3.0, 3, 2, 256), std::vector<uint16_t>({65535, 45873, 19660, 58980, 32767, 6553}));
    EXPECT_EQ(MandelDepth(0.0, 0.0, 3.0, 3, 2, 2), std::vector<uint16_t>({65535, 65535, 32767, 65535, 54611, 10922}));
    // Main view: the middle 90% of outside points spans > 85% of the relief (6% before; 90% less ties); set nearest.
    const int W = 800, H = 600;
    const std::vector<uint16_t> g = MandelDepth(-2.0, -1.1338, 2.27, W, H, 256);
    std::vector<std::pair<int, uint16_t>> byCount;  // the set as count 257
    std::vector<uint16_t> outside, set;
    for (int i = 0; i < W * H; ++i) {
        const int n = fCalcMandel(-2.0 + i % W * 2.27 / H, -1.1338 + i / W * 2.27 / H, 256);
        byCount.emplace_back(n ? n : 257, g[size_t(i)]), (n ? outside : set).push_back(g[size_t(i)]);
    }
    std::sort(byCount.begin(), byCount.end()), std::sort(outside.begin(), outside.end());
    EXPECT_TRUE(std::is_sorted(byCount.begin(), byCount.end(), [](auto a, auto b) { return a.second < b.second; }));
    EXPECT_GT(outside[outside.size() * 95 / 100] - outside[outside.size() * 5 / 100], 0.85 * 65535);
    EXPECT_TRUE(outside.back() < 65535 && set == std::vector<uint16_t>(set.size(), 65535));
}

TEST(ColourIndex, WrapsIntoTheColoursInUseSkippingZeroForAnEscape) {
    // The colour index wraps into the colours in use and is never 0 for an escape.
    struct Colour { int count, colours, expected; } colours[] = {
        {0, 16, 0}, {15, 16, 15}, {16, 16, 1}, {17, 16, 1}, {0, 256, 0}, {255, 256, 255}, {256, 256, 1}, {300, 256, 44}, {7, 4, 3}};
    for (const Colour& c : colours)
        EXPECT_EQ(ColourIndex(c.count, c.colours - 1), c.expected) << c.count << " with " << c.colours << " colours";
}

TEST(EscapeCount, ManyPointsAtOnceGiveTheCountsOfTheScalarLoopOnEveryInstructionSet) {
    // Points near the edge of the set (counts of all sizes), a few whole-plane ones, NaN.
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> cr, ci;
    for (int k = 0; k < 1500; ++k) {
        const bool edge = k % 3 != 0;
        cr.push_back(edge ? -0.7455 + 0.004 * u(rng) : -2.2 + 3.0 * u(rng));
        ci.push_back(edge ? 0.1102 + 0.004 * u(rng) : -1.3 + 2.6 * u(rng));
    }
    cr[7] = std::numeric_limits<double>::quiet_NaN(), cr[8] = -2.0, ci[8] = 0.0;
    const std::atomic<bool> go{true}, stop{false};
    for (int64_t target : EscapeCountTargets()) {
        ForceEscapeCountTarget(target);
        for (int32_t limit : {0, 1, 2, 100, 5000}) for (int n : {0, 1, 3, 17, 1500}) {
            std::vector<int32_t> got(size_t(n), -1);
            ASSERT_TRUE(EscapeCounts(cr.data(), ci.data(), n, limit, got.data(), go));
            for (int k = 0; k < n; ++k)
                ASSERT_EQ(fCalcMandel(cr[size_t(k)], ci[size_t(k)], limit), got[size_t(k)])
                    << EscapeCountTargetName(target) << ", limit " << limit << ", point " << k << " of " << n;
        }
        std::vector<int32_t> got(cr.size());
        EXPECT_FALSE(EscapeCounts(cr.data(), ci.data(), 1500, 100000000, got.data(), stop));
    }
    ForceEscapeCountTarget(0);
}

// The walk as the worker did it pixel by pixel: the reference for the runs it now hands out.
// rings counts the ring ends with pixels left over.
Order Walk(int W, int H, int& rings) {
    Order order;
    rings = 0;
    if (W <= 0 || H <= 0) return order;
    int x = 0, y = 0, direction = 0, minx = 0, miny = 0, maxx = W - 1, maxy = H - 1;
    for (;;) {
        order.emplace_back(x, y);
        const int turn[4] = {x < maxx, y < maxy, x > minx, y > miny};
        if (turn[direction]) {
            x += direction == 0 ? 1 : direction == 2 ? -1 : 0;
            y += direction == 1 ? 1 : direction == 3 ? -1 : 0;
            continue;
        }
        switch (direction) {
        case 0: ++miny, ++y; break;
        case 1: --maxx, --x; break;
        case 2: --maxy, --y; break;
        default: ++minx, ++x; break;
        }
        direction = (direction + 1) % 4;
        if (miny > maxy || minx > maxx) return order;
        rings += direction == 0;
    }
}

Order Runs(int W, int H, int& rings) {
    Order order;
    rings = 0;
    SpiralRuns runs(W, H);
    for (SpiralRun r; runs.next(r); rings += r.ringEnd)
        for (int k = 0; k < r.length; ++k) order.emplace_back(r.x + k * r.dx, r.y + k * r.dy);
    return order;
}

TEST(Spiral, VisitsASmallPictureFromTheBorderInwards) {
    int rings = 0;
    EXPECT_EQ(Walk(4, 3, rings),
              (Order{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {1, 1}, {2, 1}}));
    EXPECT_EQ(rings, 1);  // the inner row is a second ring that ends the walk
}

// Columns: width, height, rings; the runs give the same walk.
TEST(Spiral, VisitsEveryPixelOnce) {
    int rings = 0, runRings = 0;
    struct Case { int W, H, rings; } cases[] = {
        {2, 5, 0}, {1, 100, 0}, {100, 1, 0}, {7, 7, 3}, {10, 8, 3}, {800, 600, 299}, {0, 5, 0}, {5, 0, 0}, {-3, 4, 0},
        {3, 3, 1}, {4, 4, 1}, {5, 2, 0}, {6, 9, 2}, {9, 6, 2}, {3, 1, 0}, {1, 1, 0}};
    for (const Case& c : cases) {
        Order order = Walk(c.W, c.H, rings), all;
        EXPECT_TRUE(Runs(c.W, c.H, runRings) == order && runRings == rings) << c.W << "x" << c.H << ": runs";
        for (int x = 0; x < c.W; ++x) for (int y = 0; y < c.H; ++y) all.emplace_back(x, y);
        std::sort(order.begin(), order.end());
        EXPECT_TRUE(order == all && rings == c.rings)
            << c.W << "x" << c.H << ": " << order.size() << " pixels, " << rings << " rings";
    }
}

// A piece held while more than 512 later ones finish (a slow thread among several) still
// lets the run complete, and every ring end is counted once.
TEST(Spiral, PiecesFinishedFarAheadOfAHeldOneAreAllCounted) {
    int want = 0;
    Runs(3000, 2000, want);
    SpiralPieces pieces(3000, 2000);
    SpiralPiece first, later, p;
    int rings = 0;
    ASSERT_TRUE(pieces.take(first));
    for (int k = 1; k < 700; ++k) {
        ASSERT_TRUE(pieces.take(k == 512 ? later : p));
        if (k != 512) rings += pieces.finish(p);
    }
    rings += pieces.finish(later) + pieces.finish(first);
    while (pieces.take(p)) rings += pieces.finish(p);
    EXPECT_TRUE(pieces.complete());
    EXPECT_EQ(rings, want);
}

}  // namespace
