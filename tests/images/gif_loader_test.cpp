// The LZW decoder on hand-packed code streams and the GIF loader on hand-made and Pillow-checked files.
#include "images/gif_decoder.h"
#include "image_test_util.h"

#include <cstring>

namespace {

using Codes = std::vector<std::pair<int, int>>;
using Px = std::vector<uint8_t>;

// Codes as (value, width in bits) pairs, packed least significant bit first and cut into
// sub-blocks of `block` bytes, after the code-size byte and before a block terminator.
Px PackCodes(int codeSize, const Codes& codes, int block = 255, bool terminator = true) {
    Px bytes, out{uint8_t(codeSize)};
    uint32_t acc = 0;
    int bits = 0;
    for (auto [value, width] : codes) {
        acc |= uint32_t(value) << bits;
        for (bits += width; bits >= 8; bits -= 8, acc >>= 8) bytes.push_back(uint8_t(acc));
    }
    if (bits > 0) bytes.push_back(uint8_t(acc));
    for (size_t i = 0; i < bytes.size(); i += size_t(block)) {
        const size_t n = std::min(bytes.size() - i, size_t(block));
        out.push_back(uint8_t(n));
        out.insert(out.end(), bytes.begin() + long(i), bytes.begin() + long(i + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

// Literal-only codes for `pixels` with the usual GIF width rule: a clear code first, the
// width grows once the next free code no longer fits, at most 12 bits; the end code last.
Codes LiteralCodes(int codeSize, const Px& pixels) {
    const int clear = 1 << codeSize;
    Codes codes{{clear, codeSize + 1}};
    int next = clear + 2, width = codeSize + 1;
    for (size_t i = 0; i < pixels.size(); ++i) {
        codes.push_back({pixels[i], width});
        if (i > 0 && next < 4096) ++next;  // the first literal defines nothing
        if (next == (1 << width) && width < 12) ++width;
    }
    codes.push_back({clear + 1, width});
    return codes;
}

// A whole file: header, a global table of greys if the flags ask for one, optional blocks before
// the image, the image descriptor and its data, trailer.
Px MakeGif(int width, int height, uint8_t screenFlags, const Px& data, const Px& before = {},
           const char* signature = "GIF89a") {
    Px f(signature, signature + 6);
    f.insert(f.end(), {uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), screenFlags, 0, 0});
    if (screenFlags & 0x80)
        for (int i = 0; i < (2 << (screenFlags & 7)); ++i) f.insert(f.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    f.insert(f.end(), before.begin(), before.end());
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, f[6], f[7], f[8], f[9], 0});  // the screen's size, not interlaced
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(0x3B);
    return f;
}

// Runs the decoder over `data` and records the rows it hands over.
struct DecodeRun {
    Px data, dstack = Px(kGifStackSize), suffix = Px(kGifTableSize), line = Px(2049);
    std::vector<uint16_t> prefix = std::vector<uint16_t>(kGifPrefixSize);
    size_t pos = 0;
    std::vector<Px> rows;
    int sinkResult;
    uint16_t result;
    static DecodeRun& Of(void* c) { return *static_cast<DecodeRun*>(c); }
    DecodeRun(Px d, uint16_t width, int sink) : data(std::move(d)), sinkResult(sink) {
        GifDecoder dec;
        dec.source = {this, [](void* c) { return Of(c).pos < Of(c).data.size() ? int(Of(c).data[Of(c).pos++]) : -1; },
                      [](void* c, uint8_t* buf, int len) {
                          const size_t n = std::min(size_t(len), Of(c).data.size() - Of(c).pos);
                          std::memcpy(buf, Of(c).data.data() + Of(c).pos, n);
                          Of(c).pos += n;
                          return int(n);
                      }};
        dec.sink = {this, [](void* c, const uint8_t* px, int len) {
                        Of(c).rows.emplace_back(px, px + len);
                        return Of(c).sinkResult;
                    }};
        dec.bufs = {dstack.data(), suffix.data(), prefix.data(), line.data(), line.size()};
        result = dec.decoder(width);
    }
};

// `pixels` cut into rows of `width`, the last one partial.
std::vector<Px> Rows(const Px& pixels, size_t width) {
    std::vector<Px> rows;
    for (size_t i = 0; i < pixels.size(); i += width)
        rows.emplace_back(pixels.begin() + long(i), pixels.begin() + long(std::min(i + width, pixels.size())));
    return rows;
}

TEST(GifDecoder, DecodesCodeStreamsIntoRowsWithTheRightResult) {
    Px px, twelve{1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0};
    for (int i = 0; i < 3900; ++i) px.push_back(uint8_t((i * 7) ^ (i >> 3)));
    // 3839 literals define codes 258..4095 (4095 = literals 3837, 3838); then nothing is added,
    // codes stay 12 bits until a clear code brings back 9.
    Codes full = LiteralCodes(8, px);
    full.pop_back();  // the end code
    full.insert(full.end(), {{4095, 12}, {256, 12}, {9, 9}, {257, 9}});
    Px fullPx = px;
    fullPx.insert(fullPx.end(), {px[3837], px[3838], 9});
    const Px first700(px.begin(), px.begin() + 700);
    const Px eight{1, 2, 3, 0, 1, 2, 3, 0};
    Codes cut = LiteralCodes(2, eight);  // 32 bits of codes: no padding bits
    cut.pop_back();
    Px cutThenTrailer = PackCodes(2, cut);
    cutThenTrailer.insert(cutThenTrailer.end(), {0x3B, 5, 9, 9, 9, 9, 9});
    auto P2 = [](const Codes& c) { return PackCodes(2, c); };
    const struct { const char* what; Px data; uint16_t width; Px pixels; int sink = 0; uint16_t result = 0; } cases[] {
        // clear 4, end 5; 6 = "0 1", 7 = "1 0"; slot reaches 8 after the third code, so 7 and
        // the end code are 4 bits wide.
        {"3-bit codes to slot 8, then 4", P2({{4, 3}, {0, 3}, {1, 3}, {6, 3}, {7, 4}, {5, 4}}), 99, {0, 1, 0, 1, 1, 0}},
        {"code equal to slot: previous string and its first byte", P2({{4, 3}, {1, 3}, {6, 3}, {5, 3}}), 99, {1, 1, 1}},
        {"run of clear codes reads as one", P2({{4, 3}, {4, 3}, {4, 3}, {2, 3}, {3, 3}, {5, 3}}), 99, {2, 3}},
        {"undefined first code after clear is pixel 0", P2({{4, 3}, {7, 3}, {5, 3}}), 99, {0}},
        {"code beyond slot decodes like the code being defined", P2({{4, 3}, {2, 3}, {7, 3}, {5, 3}}), 99, {2, 2, 2}},
        {"stream without a leading clear starts as after one", P2({{1, 3}, {2, 3}, {6, 3}, {5, 4}}), 99, {1, 2, 1, 2}},
        {"full table", PackCodes(8, full), 1000, fullPx},
        {"sub-blocks of 1 byte", PackCodes(8, LiteralCodes(8, first700), 1), 300, first700},
        {"sub-blocks of 254 bytes", PackCodes(8, LiteralCodes(8, first700), 254), 300, first700},
        {"12 pixels into rows of 5", PackCodes(2, LiteralCodes(2, twelve)), 5, twelve},
        {"a partial last row gives the sink's result", PackCodes(2, LiteralCodes(2, twelve)), 5, twelve, -1, 0xFFFF},
        {"a complete last row gives 0", PackCodes(2, LiteralCodes(2, {1, 2, 3, 0, 1})), 5, {1, 2, 3, 0, 1}, -1, 0},
        {"data ends before the end code", PackCodes(2, cut, 255, false), 3, eight},
        {"zero-length sub-block, then nothing", PackCodes(2, cut), 3, eight},
        {"zero-length sub-block, then more bytes", cutThenTrailer, 3, eight},
        {"code size 1", {1, 1, 0x4C, 0}, 10, {}, 0, kGifBadCodeSize},
        {"code size 10", {10, 1, 0x4C, 0}, 10, {}, 0, kGifBadCodeSize}};
    for (const auto& c : cases) {
        DecodeRun r(c.data, c.width, c.sink);
        EXPECT_EQ(r.rows, Rows(c.pixels, c.width)) << c.what;
        EXPECT_EQ(r.result, c.result) << c.what;
        if (c.result == kGifBadCodeSize) {
            EXPECT_EQ(r.pos, 1u) << "only the code-size byte is read";
        }
    }
}

Px OnePixel() { return PackCodes(2, LiteralCodes(2, {1})); }

TEST(GifLoader, InterlacedRowsLandWhereThePassesPutThemEvenWithSurplusData) {
    // Five rows take the passes 0; 4; 2; 1, 3. A sixth row of data must not overwrite row 3.
    auto f = MakeGif(1, 5, 0x83, PackCodes(4, LiteralCodes(4, {10, 11, 12, 13, 14, 15})));
    ASSERT_EQ(f[13 + 48], 0x2C);
    f[13 + 48 + 9] = 0x40;  // the image descriptor's interlace flag
    PictureResult r = ReadGifBytes(f.data(), f.size());
    ASSERT_TRUE(r.ok);
    std::vector<uint32_t> column;
    for (int y = 0; y < 5; ++y) column.push_back(r.image.at(0, y));
    EXPECT_EQ(column, std::vector<uint32_t>({0x0A0A0A, 0x0D0D0D, 0x0C0C0C, 0x0E0E0E, 0x0B0B0B}));
}

TEST(GifLoader, FilesWithoutAUsableFirstImageAreRefused) {
    const auto good = MakeGif(4, 4, 0x81, OnePixel());
    auto headerThen = [](uint8_t block) { Px f = Cut(MakeGif(1, 1, 0x80, {}), 19); f.push_back(block); return f; };
    const struct { const char* what; Px file; Boxes messages; /* the loader's own, if any */ } cases[] = {
        {"no global colour table", MakeGif(1, 1, 0x77, OnePixel()), {}}, {"trailer first", headerThen(0x3B), {}},
        {"unknown block", headerThen(0x00), {}}, {"header cut", Cut(good, 10), {}},
        {"colour table cut", Cut(good, 15), {}}, {"descriptor cut", Cut(good, 24), {}},
        {"extension cut", Cut(MakeGif(1, 1, 0x80, {}, {0x21, 0xFE, 9, 1}), 22), {}},
        {"width 0", MakeGif(0, 4, 0x81, OnePixel()), {{"Error", "The GIF image has no pixels!"}}},
        {"height 0", MakeGif(4, 0, 0x81, OnePixel()), {{"Error", "The GIF image has no pixels!"}}},
        {"too large", MakeGif(65535, 65535, 0x81, OnePixel()), {{"Error", "The GIF image is too large!"}}},
        // A fuzz find: a few bytes claiming an 8192 x 4096 picture (clear, one pixel, end) took seconds.
        {"too large for its data", MakeGif(8192, 4096, 0x80, {2, 2, 0x44, 0x01, 0}),
         {{"Error", "The GIF image is too large for its data!"}}}};
    for (const auto& c : cases) {
        PictureResult r = ReadGifBytes(c.file.data(), c.file.size());
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(Messages(r), c.messages) << c.what;
    }
}

TEST(GifLoader, EachSignatureAndScreenFlagsGiveTheirColourCountOrARefusal) {
    const struct { const char* signature; uint8_t flags; uint16_t colours; /* 0: no GIF file */ } signatures[] = {
        {"GIF87a", 0xFF, 256}, {"GIF89a", 0xF7, 256}, {"GIF00z", 0x80, 2}, {"GIF99A", 0x83, 16}, {"GIF89a", 0x8A, 8},
        {"GIF8Xa", 0x80, 0},   {"GIFX9a", 0x80, 0},   {"GIF89@", 0x80, 0}, {"GIF89{", 0x80, 0},  {"GIF89\x80", 0x80, 0},
        {"gIF89a", 0x80, 0}};
    for (const auto& c : signatures) {
        const auto f = MakeGif(1, 1, c.flags, OnePixel(), {}, c.signature);
        PictureResult r = ReadGifBytes(f.data(), f.size());
        EXPECT_EQ(r.ok, c.colours != 0) << c.signature;
        EXPECT_EQ((r.ok ? Boxes() : Boxes{{"Error", "File is no GIF file!"}}), Messages(r)) << c.signature;
        EXPECT_EQ(std::make_pair(r.NumColors, r.BitsPerPixel), std::make_pair(c.colours, uint16_t(c.colours ? 8 : 0)));
    }
}

// Sizes, bit depths, comment and graphic-control extensions, local tables, a row wider than
// 2048 pixels, and interlacing (im_3x3_il and im_5x16_il hold the 3- and 16-row pass orders).
TEST(GifLoader, GeneratedFilesMatchPillowPixelForPixel) { ExpectEveryFileMatchesPillow("gif", ".gif", 10); }

// Cut at every length through the header and table, then at a stride: a picture or a refusal,
// never a read past the cut (the sanitizer build watches), and the pixels the cut data does not
// reach are colour 0. Bit flips may load or fail.
TEST(GifLoader, TruncatedAndCorruptedFilesStayInsideTheData) {
    for (auto [name, interlaced] :
         {std::pair{"p256_97x61.gif", false}, {"im_gce_23x19_il.gif", true}, {"p4_33x21_il.gif", true}}) {
        const auto whole = ReadFileBytes(kDataDir + "gif/" + name);
        PictureResult full = ReadGifBytes(whole.data(), whole.size());
        ASSERT_TRUE(full.ok);
        const uint32_t colour0 = uint32_t(whole[13] << 16 | whole[14] << 8 | whole[15]);  // global table entry 0
        for (size_t cut : CutLengths(whole.size(), 800, 3)) {
            PictureResult r = ReadGifBytes(Cut(whole, cut).data(), cut);
            if (!r.ok || interlaced) continue;
            size_t k = 0;
            while (k < r.image.px.size() && r.image.px[k] == full.image.px[k]) ++k;
            for (size_t j = k; j < r.image.px.size(); ++j) ASSERT_EQ(r.image.px[j], colour0) << name << " cut " << cut;
        }
        ForEachCorruption(whole, 2000, 3, 3, [](const Px& bad) { ReadGifBytes(bad.data(), bad.size()); });
    }
}

}  // namespace
