// Inputs the fuzzers found slow: a few bytes that declared a huge, mostly empty picture.
#include "images/picture_file.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// An 8-bit run-length BMP with a grey-ramp colour table around the given run data.
std::vector<uint8_t> Rle8Bmp(int w, int h, const std::vector<uint8_t>& bits) {
    std::vector<uint8_t> f = {'B', 'M'};
    const uint32_t off = 14 + 40 + 1024;
    put32(f, off + uint32_t(bits.size()));
    put32(f, 0);
    put32(f, off);
    put32(f, 40);
    put32(f, uint32_t(w));
    put32(f, uint32_t(h));
    put16(f, 1);
    put16(f, 8);
    put32(f, 1);  // BI_RLE8
    put32(f, uint32_t(bits.size()));
    put32(f, 0);
    put32(f, 0);
    put32(f, 256);
    put32(f, 0);
    for (int i = 0; i < 256; ++i) put32(f, uint32_t(i) * 0x010101u);
    f.insert(f.end(), bits.begin(), bits.end());
    return f;
}

TEST(ReaderRegressions, RunLengthBitmapOfAFewBytesCannotClaimAHugePicture) {
    const std::vector<uint8_t> bomb = Rle8Bmp(8192, 4096, {0x00, 0x01});  // end of bitmap at once
    PictureResult r = ReadBmpBytes(bomb.data(), bomb.size());
    EXPECT_FALSE(r.ok);
    ASSERT_FALSE(r.messages.empty());
    EXPECT_EQ(r.messages[0].text.rfind("Error on Fail in creating DIB bitmap from file!", 0), 0u);

    // A real run-length picture of two million pixels still loads: rows of full runs.
    std::vector<uint8_t> bits;
    const int w = 2000, h = 1000;
    for (int y = 0; y < h; ++y) {
        for (int left = w; left > 0; left -= 250) bits.insert(bits.end(), {uint8_t(std::min(left, 250)), uint8_t(y & 0xFF)});
        bits.insert(bits.end(), {0x00, 0x00});
    }
    bits.insert(bits.end(), {0x00, 0x01});
    const std::vector<uint8_t> big = Rle8Bmp(w, h, bits);
    r = ReadBmpBytes(big.data(), big.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.width, w);
    EXPECT_EQ(r.image.at(1999, 0), 0x00E7E7E7u);  // bottom-up: file row 999 is the top row
    EXPECT_EQ(r.image.at(0, 999), 0u);
}

TEST(ReaderRegressions, GifOfAFewBytesCannotClaimAHugePicture) {
    std::vector<uint8_t> g = {'G', 'I', 'F', '8', '9', 'a'};
    put16(g, 8192);
    put16(g, 4096);
    g.insert(g.end(), {0x80, 0, 0});             // global table of 2 colours
    g.insert(g.end(), {0, 0, 0, 255, 255, 255});
    g.push_back(0x2C);
    put16(g, 0);
    put16(g, 0);
    put16(g, 8192);
    put16(g, 4096);
    g.push_back(0);
    g.insert(g.end(), {2, 2, 0x44, 0x01, 0, 0x3B});  // clear, one pixel, end
    PictureResult r = ReadGifBytes(g.data(), g.size());
    EXPECT_FALSE(r.ok);
    ASSERT_FALSE(r.messages.empty());
    EXPECT_EQ(r.messages[0].text, "The GIF image is too large for its data!");
    EXPECT_EQ(r.messages[0].caption, "Error");
}

}  // namespace
