#include "mandel/mandel_calc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

TEST(EscapeCount, followsTheSquaresOfThePreviousValue) {
    // Counts worked out by hand from z0 = c, escape when the previous |z|^2 exceeds 4.
    struct Case {
        double cr, ci;
        int32_t limit;
        int expected;
    } cases[] = {
        {3.0, 0.0, 256, 1},    // |c|^2 > 4 escapes after one round
        {0.0, 0.0, 256, 0},    // stays at 0
        {-2.0, 0.0, 256, 0},   // orbit stays on modulus 2: not escaped
        {1.0, 0.0, 256, 3},    // 1, 2, 5, 26: the test sees 1, 4 (still <= 4), 25
        {2.0, 0.0, 256, 2},    // 2, 6, 38
        {0.5, 0.0, 256, 5},    // 0.75, 1.0625, 1.6289, 3.1533, 10.44
        {0.5, 0.0, 5, 0},      // the count reaching the limit means not escaped
        {0.5, 0.0, 6, 5},
        {3.0, 0.0, 1, 0},
        {0.0, 3.0, 256, 1},
        {0.0, 0.0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fCalcMandel(c.cr, c.ci, c.limit), c.expected) << c.cr << "+" << c.ci << "i limit " << c.limit;
}

TEST(EscapeCount, endsAtTheFirstTestThatSeesNaN) {
    // The first round runs on the zero squares; its NaN squares fail the next test.
    const int32_t limit = 1000000;
    EXPECT_EQ(fCalcMandel(std::numeric_limits<double>::quiet_NaN(), 0.0, limit), 1);
    EXPECT_EQ(fCalcMandel(0.0, std::numeric_limits<double>::quiet_NaN(), limit), 1);
}

TEST(ColourIndex, wrapsIntoTheColoursInUseAndNeverGivesZeroForAnEscape) {
    struct Case {
        int count, colours, expected;
    } cases[] = {
        {0, 16, 0},  {1, 16, 1},    {15, 16, 15},  {16, 16, 1},  {17, 16, 1},   {31, 16, 15},  {32, 16, 1},
        {0, 256, 0}, {255, 256, 255}, {256, 256, 1}, {257, 256, 1}, {300, 256, 44}, {511, 256, 255},
        {4, 4, 1},   {7, 4, 3},     {259, 64, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ColourIndex(c.count, c.colours - 1), c.expected) << c.count << " with " << c.colours << " colours";
}

std::vector<std::pair<int, int>> Walk(int W, int H, int* rings = nullptr) {
    std::vector<std::pair<int, int>> order;
    int r = 0;
    SpiralWalk(
        W, H,
        [&](int x, int y) {
            order.emplace_back(x, y);
            return true;
        },
        [&] { ++r; });
    if (rings) *rings = r;
    return order;
}

TEST(Spiral, visitsASmallPictureFromTheBorderInwards) {
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2},
                                                       {2, 2}, {1, 2}, {0, 2}, {0, 1}, {1, 1}, {2, 1}};
    int rings = 0;
    EXPECT_EQ(Walk(4, 3, &rings), expected);
    EXPECT_EQ(rings, 1);  // the inner row is a second ring that ends the walk
}

TEST(Spiral, visitsEveryPixelExactlyOnce) {
    struct Case {
        int W, H, rings;  // rings complete with pixels left over
    } cases[] = {{2, 5, 0}, {1, 100, 0}, {100, 1, 0}, {1, 1, 0}, {7, 7, 3}, {10, 8, 3}, {8, 3, 1}, {3, 8, 1}, {800, 600, 299}};
    for (const Case& c : cases) {
        int rings = 0;
        const auto order = Walk(c.W, c.H, &rings);
        std::vector<int> seen(size_t(c.W) * size_t(c.H), 0);
        for (auto [x, y] : order) {
            ASSERT_TRUE(x >= 0 && x < c.W && y >= 0 && y < c.H) << c.W << "x" << c.H << " at " << x << "," << y;
            ++seen[size_t(y) * size_t(c.W) + size_t(x)];
        }
        EXPECT_EQ(order.size(), seen.size()) << c.W << "x" << c.H;
        for (int n : seen) ASSERT_EQ(n, 1) << c.W << "x" << c.H;
        EXPECT_EQ(rings, c.rings) << c.W << "x" << c.H;
    }
}

TEST(Spiral, anEmptyPictureHasNoPixels) {
    for (auto [W, H] : {std::pair{0, 5}, {5, 0}, {0, 0}, {-3, 4}}) EXPECT_TRUE(Walk(W, H).empty()) << W << "x" << H;
}

}  // namespace
