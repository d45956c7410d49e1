// Stereo pairs: a flat square moved by its disparity in each view, crossed pairs, and the
// anaglyph's matrix products worked out by hand.
#include "stereo/stereo_pair.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW = 200, kH = 8;

TEST(StereoPair, ASquareMovesByHalfItsDisparityInEachView) {
    Image32 picture(kW, kH), grey(kW, kH), classic(kW, kH, 0x000080);  // classic level 0: blue 128
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            picture.at(x, y) = uint32_t(x) << 16 | uint32_t(y);
            if (x >= 80 && x < 100) grey.at(x, y) = 0xFFFFFF, classic.at(x, y) = 0x0000FF;  // the nearest level
        }
    // Columns: depth picture, strength, and the shift of the square in each view (3% of 200 = 6).
    const std::tuple<const Image32*, double, int> cases[] = {{&grey, 0, 3}, {&grey, 8, 4}, {&classic, 8, 4}};
    for (const auto& [depth, strength, shift] : cases) {
        SCOPED_TRACE(testing::Message() << "strength " << strength << (depth == &grey ? " grey" : " classic"));
        Image32 pair, cross;
        std::string why;
        ASSERT_TRUE(MakeStereoPair(picture, *depth, {PairLayout::SideBySide, strength}, pair, why));
        ASSERT_TRUE(MakeStereoPair(picture, *depth, {PairLayout::Cross, strength}, cross, why));
        ASSERT_EQ(std::make_pair(pair.width, pair.height), std::make_pair(2 * kW, kH));
        for (int y = 0; y < kH; ++y) {
            // The left eye sees the near square further right, the right eye further left.
            for (int x = 80; x < 100; ++x) {
                EXPECT_EQ(pair.at(x + shift, y), picture.at(x, y)) << x;
                EXPECT_EQ(pair.at(kW + x - shift, y), picture.at(x, y)) << x;
            }
            // The uncovered background takes the farther side's pixel; the rest stays.
            EXPECT_EQ(pair.at(80, y), picture.at(79, y));
            EXPECT_EQ(pair.at(kW + 99, y), picture.at(100, y));
            for (int x : {0, 50, 79, 100 + shift, 199}) EXPECT_EQ(pair.at(x, y), picture.at(x, y)) << x;
            for (int x = 0; x < 2 * kW; ++x) ASSERT_EQ(cross.at(x, y), pair.at((x + kW) % (2 * kW), y)) << x;
        }
    }
}

TEST(StereoPair, AnaglyphTakesRedFromTheLeftViewAndCyanFromTheRight) {
    // Red left, cyan right, all at the nearest depth: 4 pixels each way put the left view's red
    // and the right view's cyan on column 101.
    Image32 picture(kW, kH, 0x00FFFF), depth(kW, kH, 0xFFFFFF), out;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW / 2; ++x) picture.at(x, y) = 0xFF0000;
    std::string why;
    ASSERT_TRUE(MakeStereoPair(picture, depth, {PairLayout::Anaglyph, 8}, out, why));
    ASSERT_EQ(std::make_pair(out.width, out.height), std::make_pair(kW, kH));
    // Red over red: 255 (0.456 - 0.043), 255 (-0.040 + 0.378), below 0. Red over cyan: 255 (0.456 - 0.088
    // - 0.002), 255 (-0.040 + 0.734 - 0.018), 255 (-0.015 - 0.113 + 1.226) above 255. Cyan over cyan:
    // 255 (0.500 + 0.176 - 0.088 - 0.002), 255 (-0.038 - 0.016 + 0.734 - 0.018), 255 (-0.021 - 0.005 - 0.113 + 1.226).
    EXPECT_EQ(out.at(50, 3), 0x695600u);
    EXPECT_EQ(out.at(101, 3), 0x5DACFFu);
    EXPECT_EQ(out.at(150, 3), 0x95A9FFu);
}

}  // namespace
