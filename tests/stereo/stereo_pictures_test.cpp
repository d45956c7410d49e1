#include "stereo/stereo_pictures.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(StereoPictures, BitsAreBottomUpBlueGreenRedZero) {
    Image32 img(2, 2);
    img.px = {0xFF112233, 0x00445566, 0x00778899, 0x00AABBCC};  // a stray top byte must not reach the bits
    EXPECT_EQ(std::vector<uint8_t>({0x99, 0x88, 0x77, 0, 0xCC, 0xBB, 0xAA, 0, 0x33, 0x22, 0x11, 0, 0x66, 0x55, 0x44, 0}),
              BottomUpBits32(img));
    const uint8_t back[] = {1, 2, 3, 0xEE, 4, 5, 6, 0x7F};
    EXPECT_EQ(std::vector<uint32_t>({0x00060504u, 0x00030201u}), PictureFromBottomUpBits32(back, 1, 2).px);
}

TEST(StereoPictures, PictureHasDepthSizeAndRepeatsTextureRowsFromTheBottom) {
    // The bottom picture row is texture row 0, so picture row y uses texture row (h-1-y) % bh.
    std::mt19937 rng(4);
    Image32 tex(100, 7), depth(161, 30, 0x00000080), out;
    for (auto& p : tex.px) p = rng() & 0xFFFFFF;
    ASSERT_TRUE(MakeStereoPicture(tex, depth, StereoOptions{}, out));
    ASSERT_EQ(std::make_pair(161, 30), std::make_pair(out.width, out.height));
    for (int y = 0; y < 30; ++y) {
        int ty = tex.height - 1 - (30 - 1 - y) % tex.height;
        for (int x = 0; x < 161; ++x)
            ASSERT_EQ(x == 160 ? out.at(159, y) : x < 80 ? tex.at(x, ty) : out.at(x - 80, y), out.at(x, y))
                << x << "," << y;
    }
}

TEST(StereoPictures, RefusesEmptyPicturesAndBadOptionsLeavingOutAlone) {
    Image32 tex(10, 10, 1), depth(10, 10), out(3, 3, 42);
    EXPECT_FALSE(MakeStereoPicture(Image32(), depth, StereoOptions{}, out));
    EXPECT_FALSE(MakeStereoPicture(tex, Image32(), StereoOptions{}, out));
    EXPECT_FALSE(MakeStereoPicture(tex, depth, StereoOptions{5}, out));
    EXPECT_EQ(std::vector<uint32_t>(9, 42), out.px);
}

}  // namespace
