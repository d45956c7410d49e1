// BMP files and the DIB converter. Expected pixels are ImageMagick's reading of the same
// files (tests/data/make_bmp.sh) or, for small hand-made bitmaps, worked out by hand.
#include "images/dib.h"
#include "image_test_util.h"

#include <algorithm>
#include <cstring>

namespace {

const std::string kBmp = kDataDir + "bmp/";

PictureResult Read(const std::vector<uint8_t>& b) { return ReadBmpBytes(b.data(), b.size()); }

const char* const kGoodFiles[] = {"pal1", "pal4", "pal8", "pal8-used", "pal8-topdown", "rle8", "rle4", "rle4-skips",
                                  "rgb24", "rgb24-topdown", "rgb32", "rgb16-555", "rgb16-565", "rgb16-555-v5",
                                  "rgb16-565-v5", "rgba16-4444-v5", "rgba32-v5", "core1", "core4", "core8", "core24"};

// Every form decodes like ImageMagick; a file cut at its header and bits boundaries and at a stride
// is refused with one message or (run-length data that lost only its end code) gives the same
// picture; header fields set to extreme values are refused or decoded; ASan: no read past the file.
TEST(BmpReader, EachFormGivesImageMagicksPictureOrOneMessageWhateverItsDamage) {
    for (const char* name : kGoodFiles) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> whole = ReadFileBytes(kBmp + name + ".bmp");
        const PictureResult full = Read(whole);
        ASSERT_TRUE(full.ok) << (full.messages.empty() ? "" : full.messages[0].text);
        EXPECT_EQ(std::make_pair(29, 13), std::make_pair(full.image.width, full.image.height));
        EXPECT_EQ(RgbBytes(full.image), ReadFileBytes(kBmp + name + ".rgb"));
        const size_t headerEnd = 14u + whole[14], bitsAt = whole[10] | whole[11] << 8;
        for (size_t n : CutLengths(whole.size(), 80, 7, {headerEnd, bitsAt})) {
            const PictureResult r = Read(Cut(whole, n));
            EXPECT_TRUE(r.ok ? r.image.px == full.image.px : r.messages.size() == 1u) << "cut at " << n;
        }
        for (size_t at = 0; at < 70; ++at) for (uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            std::vector<uint8_t> b = whole;
            b[at] = v;
            const PictureResult r = Read(b);
            EXPECT_TRUE(r.ok || r.messages.size() == 1u) << at << " = " << int(v);
        }
    }
}

TEST(BmpReader, RefusesBrokenFilesWithTheirMessage) {
    constexpr size_t kAll = SIZE_MAX;
    const std::string kShortHeader = "The file is shorter than its bitmap header!",
                      kShortTable = "The file is shorter than its colour table!",
                      kShortBits = "The file is shorter than its bitmap bits!",
                      kCreateFailed = "Error on Fail in creating DIB bitmap from file! = 22\n";
    // Bytes kept, and 32-bit fields changed as (offset, value) pairs.
    struct Case { const char *what, *file; size_t keep; std::vector<std::pair<size_t, uint32_t>> set; std::string m; };
    const Case cases[] = {
        {"not BM", "pal8", kAll, {{0, 0x38464947}}, "This is not a DIB bitmap file!"},
        {"empty", "pal8", 0, {}, "This is not a DIB bitmap file!"}, {"no header size", "pal8", 16, {}, kShortHeader},
        {"cut in masks", "rgb16-565", 60, {}, kShortHeader},
        {"huge header size", "pal8", kAll, {{14, 0xFFFFFFFF}}, kShortHeader},
        {"cut in RGB quads", "pal8-used", 54 + 4 * 50, {}, kShortTable},
        {"cut in RGB triples", "core8", 26 + 3 * 200, {}, kShortTable},
        {"bits offset past end", "rgb24", kAll, {{10, 1199}}, "The bitmap bits start past the end of the file!"},
        {"last row padding missing", "rgb24", 1197, {}, kShortBits},
        {"bits offset at end", "rgb24", kAll, {{10, 1198}}, kShortBits},
        {"wider than the limit", "rgb24", kAll, {{18, 32769}}, kCreateFailed},
        {"more pixels than the limit", "rgb24", kAll, {{18, 32768}, {22, 32768}}, kCreateFailed},
        {"negative width", "rgb24", kAll, {{18, uint32_t(-29)}}, kCreateFailed},
        {"zero height", "rgb24", kAll, {{22, 0}}, kCreateFailed},
        {"most negative height", "rgb24", kAll, {{22, 0x80000000}}, kCreateFailed},
        {"bit count 2", "pal8", kAll, {{26, 0x00020001}}, kCreateFailed},
        {"bitfields on 8 bits", "pal8", kAll, {{30, 3}}, kCreateFailed},
        {"top-down RLE", "rle8", kAll, {{22, uint32_t(-13)}}, kCreateFailed},
        {"header size 66", "pal8", kAll, {{14, 66}}, kCreateFailed},
        {"split mask", "rgb16-565", kAll, {{54, 0xF00F}}, kCreateFailed}};
    for (const Case& c : cases) {
        std::vector<uint8_t> b = ReadFileBytes(kBmp + c.file + ".bmp");
        b.resize(std::min(b.size(), c.keep));
        for (auto [at, value] : c.set) for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(value >> (8 * i));
        const PictureResult r = Read(b);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(Messages(r), (Boxes{{"Error", c.m}})) << c.what;
    }
}

// A 40-byte info header with colours-used = the table's length, then the table (or masks),
// less its last `drop` bytes. Words are copied as they are: the host is little-endian.
std::vector<uint8_t> Header(int32_t w, int32_t h, uint16_t bitCount, uint32_t compression,
                            const std::vector<uint32_t>& table, size_t drop = 0) {
    std::vector<uint32_t> words{40u, uint32_t(w), uint32_t(h), 1u | uint32_t(bitCount) << 16, compression, 0, 0, 0,
                                compression == BI_BITFIELDS ? 0 : uint32_t(table.size()), 0};
    words.insert(words.end(), table.begin(), table.end());
    std::vector<uint8_t> b(4 * words.size() - drop);
    std::memcpy(b.data(), words.data(), b.size());
    return b;
}

// Colour-table entry 0 (E) is not black, so pixels left at entry 0 are told from black ones.
const std::vector<uint32_t> kTable = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
constexpr uint32_t E = 0x102030, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0;

// Expected pixels top row first; none for a refusal, which leaves the picture untouched.
// Columns: what the bitmap tests, its header, its bits, the pixels it gives (none: refused).
TEST(Dib, HandMadeBitmapsDecodeOrAreRefusedAsTheTableSays) {
    const std::vector<uint8_t> rle8 = Header(4, 3, 8, BI_RLE8, kTable);
    const struct { const char* what; std::vector<uint8_t> head, bits; std::vector<uint32_t> px; } cases[] = {
        {"RLE8 run past right edge dropped", rle8, {6, 1, 0, 0, 1, 2, 0, 1}, {E, E, E, E, G, E, E, E, R, R, R, R}},
        {"RLE8 delta right and up", rle8, {1, 1, 0, 2, 2, 1, 1, 2, 0, 1}, {E, E, E, E, E, E, E, G, R, E, E, E}},
        {"RLE8 delta past the top ends the bitmap", rle8, {0, 2, 0, 5, 1, 1}, std::vector<uint32_t>(12, E)},
        {"RLE8 full last row, no end code", rle8, {4, 1, 0, 0, 4, 2, 0, 0, 4, 3}, {B, B, B, B, G, G, G, G, R, R, R, R}},
        {"1 bit: index past table is black", Header(2, 1, 1, BI_RGB, {0x123456}), {0x40, 0, 0, 0}, {0x123456, K}},
        {"colours-used 300 taken as 256", Header(1, 1, 8, BI_RGB, std::vector<uint32_t>(300, B)), {255, 0, 0, 0}, {B}},
        {"16 bits 2-3-1", Header(1, 1, 16, BI_BITFIELDS, {0x30, 0x0E, 0x01}), {0x35, 0, 0, 0}, {0xFF49FF}},
        {"32 bits 11-11-10 keep the top 8 bits", Header(1, 1, 32, BI_BITFIELDS, {0xFFE00000, 0x001FFC00, 0x3FF}),
         {0x55, 0x01, 0x10, 0xFFE0 >> 8}, {0xFF8055}},
        {"32 bits: zero mask is 0", Header(1, 1, 32, BI_BITFIELDS, {0, 0xFF00, 0xFF}), {0xFF, 0xFF, 0xFF, 0}, {0xFFFF}},
        {"RLE8 ends before the end of the bitmap", rle8, {4, 1, 0, 0}, {}}, {"RLE8 delta cut off", rle8, {0, 2, 1}, {}},
        {"RLE4 absolute run cut off", Header(8, 1, 4, BI_RLE4, kTable), {0, 7, 0x12, 0x34}, {}},
        {"RLE8 odd byte left", rle8, {4, 1, 0}, {}},
        {"colour table cut short", Header(4, 1, 8, BI_RGB, {1, 2}, 4), {0, 0, 0, 0}, {}}};
    for (const auto& c : cases) {
        Image32 img(1, 1, 7);
        std::string why;
        EXPECT_EQ(!c.px.empty(), CreateDIBitmap(c.head.data(), c.head.size(), c.bits.data(), c.bits.size(), img, &why))
            << c.what << ": " << why;
        EXPECT_EQ(c.px.empty() ? std::vector<uint32_t>{7} : c.px, img.px) << c.what;
    }
}

TEST(Dib, AFewBytesOfRunLengthCannotClaimAHugePicture) {
    // A fuzz find: a few bytes of run-length data claiming a huge, mostly empty picture took
    // seconds. A real run-length picture of two million pixels (rows of full runs) still loads.
    auto rleFile = [](int w, int h, std::vector<uint8_t> bits) {
        std::vector<uint32_t> greys(256);
        for (uint32_t i = 0; i < 256; ++i) greys[i] = i * 0x010101u;
        std::vector<uint8_t> f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 40, 4, 0, 0}, head = Header(w, h, 8, BI_RLE8, greys);
        f.insert(f.end(), head.begin(), head.end());
        return f.insert(f.end(), bits.begin(), bits.end()), f;
    };
    PictureResult r = Read(rleFile(8192, 4096, {0x00, 0x01}));  // end of bitmap at once
    EXPECT_EQ(Messages(r), (Boxes{{"Error", "Error on Fail in creating DIB bitmap from file! = 22\n"}}));
    std::vector<uint8_t> bits;
    for (int y = 0; y < 1000; ++y) {
        for (int left = 2000; left > 0; left -= 250) bits.insert(bits.end(), {uint8_t(std::min(left, 250)), uint8_t(y & 0xFF)});
        bits.insert(bits.end(), {0x00, 0x00});
    }
    bits.insert(bits.end(), {0x00, 0x01});
    r = Read(rleFile(2000, 1000, bits));
    ASSERT_TRUE(r.ok);
    // Bottom-up: file row 999 is the top row.
    EXPECT_EQ(std::make_tuple(r.image.width, r.image.at(1999, 0), r.image.at(0, 999)), std::make_tuple(2000, 0x00E7E7E7u, 0u));
}

}  // namespace
