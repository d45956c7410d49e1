#include "stereo/stereo_pictures.h"

#include "stereo/make_stereo.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(StereoPictures, BitsAreBottomUpBlueGreenRedZero) {
    Image32 img(2, 2);
    img.at(0, 0) = 0xFF112233;  // a stray top byte must not reach the bits
    img.at(1, 0) = 0x00445566;
    img.at(0, 1) = 0x00778899;
    img.at(1, 1) = 0x00AABBCC;
    const std::vector<uint8_t> want = {0x99, 0x88, 0x77, 0, 0xCC, 0xBB, 0xAA, 0,
                                       0x33, 0x22, 0x11, 0, 0x66, 0x55, 0x44, 0};
    EXPECT_EQ(want, BottomUpBits32(img));
    const uint8_t back[] = {1, 2, 3, 0xEE, 4, 5, 6, 0x7F};
    Image32 p = PictureFromBottomUpBits32(back, 1, 2);
    EXPECT_EQ(0x00060504u, p.at(0, 0));
    EXPECT_EQ(0x00030201u, p.at(0, 1));
}

TEST(StereoPictures, PictureHasDepthSizeAndFlatDepthRepeatsTopRowsToo) {
    // The bottom picture row is texture row 0, so picture row y uses texture row (h-1-y) % bh.
    std::mt19937 rng(4);
    Image32 tex(100, 7), depth(161, 30, 0x00000080);
    for (auto& p : tex.px) p = rng() & 0xFFFFFF;
    Image32 out;
    ASSERT_TRUE(MakeStereoPicture(tex, depth, StereoOptions{}, out));
    ASSERT_EQ(161, out.width);
    ASSERT_EQ(30, out.height);
    for (int y = 0; y < 30; ++y) {
        int ty = tex.height - 1 - (30 - 1 - y) % tex.height;
        for (int x = 0; x < 160; ++x)
            ASSERT_EQ(x < 80 ? tex.at(x, ty) : out.at(x - 80, y), out.at(x, y)) << x << "," << y;
        ASSERT_EQ(out.at(159, y), out.at(160, y));
    }
}

TEST(StereoPictures, RefusesEmptyPicturesAndBadOptions) {
    Image32 tex(10, 10, 1), depth(10, 10), out(3, 3, 42);
    StereoOptions bad;
    bad.oversam = 5;
    EXPECT_FALSE(MakeStereoPicture(Image32(), depth, StereoOptions{}, out));
    EXPECT_FALSE(MakeStereoPicture(tex, Image32(), StereoOptions{}, out));
    EXPECT_FALSE(MakeStereoPicture(tex, depth, bad, out));
    EXPECT_EQ(3, out.width);
}

}  // namespace
