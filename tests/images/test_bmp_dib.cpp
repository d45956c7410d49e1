// The DIB converter on small hand-made bitmaps; expected pixels worked out by hand.
#include "images/dib.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

void add32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A 40-byte info header with colours-used = the table's length, then the table (or masks).
Bytes header(int32_t w, int32_t h, uint16_t bitCount, uint32_t compression, const std::vector<uint32_t>& table) {
    Bytes b;
    add32(b, 40);
    add32(b, uint32_t(w));
    add32(b, uint32_t(h));
    add32(b, 1u | uint32_t(bitCount) << 16);
    add32(b, compression);
    for (uint32_t v : {0u, 0u, 0u}) add32(b, v);
    add32(b, compression == BI_BITFIELDS ? 0 : uint32_t(table.size()));
    add32(b, 0);
    for (uint32_t v : table) add32(b, v);
    return b;
}

// Colour-table entry 0 is not black, so pixels left at entry 0 are told from black ones.
const std::vector<uint32_t> kTable = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
constexpr uint32_t E0 = 0x102030, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0;

struct Case {
    const char* what;
    Bytes head, bits;
    std::vector<uint32_t> px;  // top row first
};

TEST(Dib, convertsHandMadeBitmaps) {
    const Case cases[] = {
        {"RLE8 run past the right edge is dropped", header(4, 3, 8, BI_RLE8, kTable), {6, 1, 0, 0, 1, 2, 0, 1},
         {E0, E0, E0, E0, G, E0, E0, E0, R, R, R, R}},
        {"RLE8 delta skips right and up", header(4, 3, 8, BI_RLE8, kTable), {1, 1, 0, 2, 2, 1, 1, 2, 0, 1},
         {E0, E0, E0, E0, E0, E0, E0, G, R, E0, E0, E0}},
        {"RLE8 delta past the top ends the bitmap", header(4, 3, 8, BI_RLE8, kTable), {0, 2, 0, 5, 1, 1},
         std::vector<uint32_t>(12, E0)},
        {"RLE8 last row filled needs no end code", header(4, 3, 8, BI_RLE8, kTable),
         {4, 1, 0, 0, 4, 2, 0, 0, 4, 3},
         {B, B, B, B, G, G, G, G, R, R, R, R}},
        {"RLE8 index past the table is black", header(4, 1, 8, BI_RLE8, kTable), {4, 9, 0, 1}, {K, K, K, K}},
        {"1 bit: index past a one-entry table is black", header(2, 1, 1, BI_RGB, {0x123456}), {0x40, 0, 0, 0},
         {0x123456, K}},
        {"colours-used above 256 is taken as 256", header(1, 1, 8, BI_RGB, std::vector<uint32_t>(300, B)),
         {255, 0, 0, 0}, {B}},
        {"16 bits default 5-5-5: widened by repeating bits", header(3, 1, 16, BI_RGB, {}),
         {0xFF, 0x7F, 0x00, 0x34, 0x60, 0x00, 0, 0},
         {0xFFFFFF, 0x6B0000, 0x001800}},
        {"16 bits 2-3-1", header(1, 1, 16, BI_BITFIELDS, {0x30, 0x0E, 0x01}), {0x35, 0, 0, 0}, {0xFF49FF}},
        {"32 bits 11-11-10 keep the top 8 bits", header(1, 1, 32, BI_BITFIELDS, {0xFFE00000, 0x001FFC00, 0x3FF}),
         {0x55, 0x01, 0x10, 0xFFE0 >> 8}, {0xFF8055}},
        {"32 bits: a zero mask gives 0", header(1, 1, 32, BI_BITFIELDS, {0, 0xFF00, 0xFF}), {0xFF, 0xFF, 0xFF, 0},
         {0x00FFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Image32 img;
        std::string why;
        ASSERT_TRUE(CreateDIBitmap(c.head.data(), c.head.size(), c.bits.data(), c.bits.size(), img, &why)) << why;
        EXPECT_EQ(img.px, c.px);
    }
}

Bytes withoutLast4(Bytes b) {
    b.resize(b.size() - 4);
    return b;
}

TEST(Dib, shouldRefuseBrokenCodesAndShortTables) {
    const Case cases[] = {
        {"ends before the end of the bitmap", header(4, 3, 8, BI_RLE8, kTable), {4, 1, 0, 0}, {}},
        {"absolute run cut off", header(4, 3, 8, BI_RLE8, kTable), {0, 5, 1, 2}, {}},
        {"delta cut off", header(4, 3, 8, BI_RLE8, kTable), {0, 2, 1}, {}},
        {"RLE4 absolute run cut off", header(8, 1, 4, BI_RLE4, kTable), {0, 7, 0x12, 0x34}, {}},
        {"odd byte left", header(4, 3, 8, BI_RLE8, kTable), {4, 1, 0}, {}},
        {"colour table cut short", withoutLast4(header(4, 1, 8, BI_RGB, {1, 2})), {0, 0, 0, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Image32 img(1, 1, 7);
        EXPECT_FALSE(CreateDIBitmap(c.head.data(), c.head.size(), c.bits.data(), c.bits.size(), img));
        EXPECT_EQ(img.px, std::vector<uint32_t>{7}) << "the picture is left untouched";
    }
}

}  // namespace
