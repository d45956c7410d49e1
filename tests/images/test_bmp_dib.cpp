// The DIB converter on small hand-made bitmaps; expected pixels worked out by hand.
#include "images/dib.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

// A 40-byte info header with colours-used = the table's length, then the table (or masks).
Bytes Header(int32_t w, int32_t h, uint16_t bitCount, uint32_t compression, const std::vector<uint32_t>& table) {
    Bytes b;
    auto add32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    for (uint32_t v : {40u, uint32_t(w), uint32_t(h), 1u | uint32_t(bitCount) << 16, compression, 0u, 0u, 0u})
        add32(v);
    add32(compression == BI_BITFIELDS ? 0 : uint32_t(table.size()));
    add32(0);
    for (uint32_t v : table) add32(v);
    return b;
}

Bytes WithoutLast4(Bytes b) {
    b.resize(b.size() - 4);
    return b;
}

// Colour-table entry 0 is not black, so pixels left at entry 0 are told from black ones.
const std::vector<uint32_t> kTable = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
constexpr uint32_t E0 = 0x102030, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0;

// Expected pixels top row first; none for a refusal, which leaves the picture untouched.
TEST(Dib, ConvertsHandMadeBitmapsAndRefusesBrokenCodesAndShortTables) {
    const struct {
        const char* what;
        Bytes head, bits;
        std::vector<uint32_t> px;
    } cases[] = {
        {"RLE8 run past the right edge is dropped", Header(4, 3, 8, BI_RLE8, kTable), {6, 1, 0, 0, 1, 2, 0, 1},
         {E0, E0, E0, E0, G, E0, E0, E0, R, R, R, R}},
        {"RLE8 delta skips right and up", Header(4, 3, 8, BI_RLE8, kTable), {1, 1, 0, 2, 2, 1, 1, 2, 0, 1},
         {E0, E0, E0, E0, E0, E0, E0, G, R, E0, E0, E0}},
        {"RLE8 delta past the top ends the bitmap", Header(4, 3, 8, BI_RLE8, kTable), {0, 2, 0, 5, 1, 1},
         std::vector<uint32_t>(12, E0)},
        {"RLE8 last row filled needs no end code", Header(4, 3, 8, BI_RLE8, kTable), {4, 1, 0, 0, 4, 2, 0, 0, 4, 3},
         {B, B, B, B, G, G, G, G, R, R, R, R}},
        {"RLE8 index past the table is black", Header(4, 1, 8, BI_RLE8, kTable), {4, 9, 0, 1}, {K, K, K, K}},
        {"1 bit: index past a one-entry table is black", Header(2, 1, 1, BI_RGB, {0x123456}), {0x40, 0, 0, 0},
         {0x123456, K}},
        {"colours-used above 256 is taken as 256", Header(1, 1, 8, BI_RGB, std::vector<uint32_t>(300, B)),
         {255, 0, 0, 0}, {B}},
        {"16 bits default 5-5-5: widened by repeating bits", Header(3, 1, 16, BI_RGB, {}),
         {0xFF, 0x7F, 0x00, 0x34, 0x60, 0x00, 0, 0}, {0xFFFFFF, 0x6B0000, 0x001800}},
        {"16 bits 2-3-1", Header(1, 1, 16, BI_BITFIELDS, {0x30, 0x0E, 0x01}), {0x35, 0, 0, 0}, {0xFF49FF}},
        {"32 bits 11-11-10 keep the top 8 bits", Header(1, 1, 32, BI_BITFIELDS, {0xFFE00000, 0x001FFC00, 0x3FF}),
         {0x55, 0x01, 0x10, 0xFFE0 >> 8}, {0xFF8055}},
        {"32 bits: a zero mask gives 0", Header(1, 1, 32, BI_BITFIELDS, {0, 0xFF00, 0xFF}), {0xFF, 0xFF, 0xFF, 0},
         {0x00FFFF}},
        {"RLE8 ends before the end of the bitmap", Header(4, 3, 8, BI_RLE8, kTable), {4, 1, 0, 0}, {}},
        {"RLE8 absolute run cut off", Header(4, 3, 8, BI_RLE8, kTable), {0, 5, 1, 2}, {}},
        {"RLE8 delta cut off", Header(4, 3, 8, BI_RLE8, kTable), {0, 2, 1}, {}},
        {"RLE4 absolute run cut off", Header(8, 1, 4, BI_RLE4, kTable), {0, 7, 0x12, 0x34}, {}},
        {"RLE8 odd byte left", Header(4, 3, 8, BI_RLE8, kTable), {4, 1, 0}, {}},
        {"colour table cut short", WithoutLast4(Header(4, 1, 8, BI_RGB, {1, 2})), {0, 0, 0, 0}, {}},
    };
    for (const auto& c : cases) {
        Image32 img(1, 1, 7);
        std::string why;
        EXPECT_EQ(!c.px.empty(), CreateDIBitmap(c.head.data(), c.head.size(), c.bits.data(), c.bits.size(), img, &why))
            << c.what << ": " << why;
        EXPECT_EQ(c.px.empty() ? std::vector<uint32_t>{7} : c.px, img.px) << c.what;
    }
}

}  // namespace
