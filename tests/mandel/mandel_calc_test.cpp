#include "mandel/mandel_calc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

using Order = std::vector<std::pair<int, int>>;

TEST(EscapeCount, followsTheSquaresOfThePreviousValue) {
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

TEST(MandelDepth, isWhiteInsideTheSetAndTheCountOverTheLimitOutsideTopRowFirst) {
    // Corner 0, side 3 over 2 rows: c = 0, 1.5, 3 on the top row, then 1.5i, 1.5 + 1.5i, 3 + 1.5i; counts
    // by hand: inside, 2, 1, 2, 1, 1. With limit 2 the count 2 is the limit: inside.
    EXPECT_EQ(MandelDepth(0.0, 0.0, 3.0, 3, 2, 256), std::vector<uint16_t>({65535, 511, 255, 511, 255, 255}));
    EXPECT_EQ(MandelDepth(0.0, 0.0, 3.0, 3, 2, 2), std::vector<uint16_t>({65535, 65535, 32767, 65535, 32767, 32767}));
}

TEST(ColourIndex, wrapsIntoTheColoursInUseAndNeverGivesZeroForAnEscape) {
    struct Case { int count, colours, expected; } cases[] = {
        {0, 16, 0}, {15, 16, 15}, {16, 16, 1}, {17, 16, 1}, {0, 256, 0}, {255, 256, 255}, {256, 256, 1}, {300, 256, 44}, {7, 4, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(ColourIndex(c.count, c.colours - 1), c.expected) << c.count << " with " << c.colours << " colours";
}

// The pixels in the order visited; rings counts the ring ends reported with pixels left over.
Order Walk(int W, int H, int& rings) {
    Order order;
    rings = 0;
    return SpiralWalk(W, H, [&](int x, int y) { return order.emplace_back(x, y), true; }, [&] { ++rings; }), order;
}

TEST(Spiral, visitsASmallPictureFromTheBorderInwardsAndEveryPixelOnce) {
    int rings = 0;
    EXPECT_EQ(Walk(4, 3, rings),
              (Order{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {1, 1}, {2, 1}}));
    EXPECT_EQ(rings, 1);  // the inner row is a second ring that ends the walk
    struct Case { int W, H, rings; } cases[] = {
        {2, 5, 0}, {1, 100, 0}, {100, 1, 0}, {7, 7, 3}, {10, 8, 3}, {800, 600, 299}, {0, 5, 0}, {5, 0, 0}, {-3, 4, 0}};
    for (const Case& c : cases) {
        Order order = Walk(c.W, c.H, rings), all;
        for (int x = 0; x < c.W; ++x)
            for (int y = 0; y < c.H; ++y) all.emplace_back(x, y);
        std::sort(order.begin(), order.end());
        EXPECT_TRUE(order == all && rings == c.rings)
            << c.W << "x" << c.H << ": " << order.size() << " pixels, " << rings << " rings";
    }
}

}  // namespace
