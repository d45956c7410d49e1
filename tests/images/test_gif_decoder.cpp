#include "images/gif_decoder.h"
#include "image_test_util.h"

#include <cstring>

namespace {

using Codes = std::vector<std::pair<int, int>>;
using Px = std::vector<uint8_t>;

// Runs the decoder over `data` and records the rows it hands over.
struct DecodeRun {
    Px data;
    size_t pos = 0;
    std::vector<Px> rows;
    int sinkResult = 0;
    uint16_t result = 0;
    Px dstack = Px(kGifStackSize), suffix = Px(kGifTableSize), line = Px(2049);
    std::vector<uint16_t> prefix = std::vector<uint16_t>(kGifPrefixSize);

    DecodeRun(Px d, uint16_t width, int sink = 0) : data(std::move(d)), sinkResult(sink) {
        GifDecoder dec;
        dec.source = {this,
                      [](void* c) {
                          auto* r = static_cast<DecodeRun*>(c);
                          return r->pos < r->data.size() ? int(r->data[r->pos++]) : -1;
                      },
                      [](void* c, uint8_t* buf, int len) {
                          auto* r = static_cast<DecodeRun*>(c);
                          const size_t n = std::min(size_t(len), r->data.size() - r->pos);
                          std::memcpy(buf, r->data.data() + r->pos, n);
                          r->pos += n;
                          return int(n);
                      }};
        dec.sink = {this, [](void* c, const uint8_t* px, int len) {
                        auto* r = static_cast<DecodeRun*>(c);
                        r->rows.emplace_back(px, px + len);
                        return r->sinkResult;
                    }};
        dec.bufs = {dstack.data(), suffix.data(), prefix.data(), line.data(), line.size()};
        result = dec.decoder(width);
    }
    Px pixels() const {
        Px all;
        for (auto& r : rows) all.insert(all.end(), r.begin(), r.end());
        return all;
    }
};

TEST(GifDecoder, DecodesHandWorkedCodeStreams) {
    const struct {
        const char* rule;
        int codeSize;
        Codes codes;
        Px expected;
    } cases[] = {
        // clear 4, end 5; 6 = "0 1", 7 = "1 0"; slot reaches 8 after the third code, so 7 and
        // the end code are 4 bits wide.
        {"codes are 3 bits until slot 8, then 4", 2, {{4, 3}, {0, 3}, {1, 3}, {6, 3}, {7, 4}, {5, 4}}, {0, 1, 0, 1, 1, 0}},
        {"code equal to slot is previous string plus its first byte", 2, {{4, 3}, {1, 3}, {6, 3}, {5, 3}}, {1, 1, 1}},
        {"run of clear codes reads as one", 2, {{4, 3}, {4, 3}, {4, 3}, {2, 3}, {3, 3}, {5, 3}}, {2, 3}},
        {"clear code brings the width back to 3 bits", 2,
         {{4, 3}, {0, 3}, {1, 3}, {6, 3}, {4, 4}, {3, 3}, {5, 3}}, {0, 1, 0, 1, 3}},
        {"undefined first code after clear is pixel 0", 2, {{4, 3}, {7, 3}, {5, 3}}, {0}},
        {"code beyond slot decodes like the code being defined", 2, {{4, 3}, {2, 3}, {7, 3}, {5, 3}}, {2, 2, 2}},
        {"stream without a leading clear starts as after one", 2, {{1, 3}, {2, 3}, {6, 3}, {5, 4}}, {1, 2, 1, 2}},
        {"initial size 8 uses 9-bit codes", 8, {{256, 9}, {200, 9}, {7, 9}, {258, 9}, {257, 9}}, {200, 7, 200, 7}},
    };
    for (const auto& c : cases) {
        DecodeRun r(PackCodes(c.codeSize, c.codes), 100);
        EXPECT_EQ(r.pixels(), c.expected) << c.rule;
        EXPECT_EQ(r.result, 0) << c.rule;
    }
}

TEST(GifDecoder, CodesCrossSubBlockBoundariesLeastSignificantBitFirst) {
    Px px;
    for (int i = 0; i < 700; ++i) px.push_back(uint8_t((i * 37) % 251));
    for (int block : {1, 2, 3, 7, 254, 255})
        EXPECT_EQ(DecodeRun(PackCodes(8, LiteralCodes(8, px), block), 700).pixels(), px) << "sub-blocks of " << block;
    // Hand-packed: size 2, codes 4,1,1,5 (3 bits each) -> 0x4C 0x0A, in two one-byte sub-blocks.
    EXPECT_EQ(DecodeRun({2, 1, 0x4C, 1, 0x0A, 0}, 10).pixels(), (Px{1, 1}));
}

TEST(GifDecoder, FullTableAddsNothingAndKeepsTwelveBitCodesUntilClear) {
    Px px;
    for (int i = 0; i < 3900; ++i) px.push_back(uint8_t((i * 7) ^ (i >> 3)));
    Codes codes = LiteralCodes(8, px);
    codes.pop_back();  // the end code
    // 3839 literals define codes 258..4095; code 4095 = literal 3837 followed by literal 3838.
    codes.insert(codes.end(), {{4095, 12}, {256, 12}, {9, 9}, {257, 9}});
    Px expected = px;
    expected.insert(expected.end(), {px[3837], px[3838], 9});
    EXPECT_EQ(DecodeRun(PackCodes(8, codes), 1000).pixels(), expected);
}

TEST(GifDecoder, HandsOverRowsAndEndsWithTheRightResult) {
    const Px twelve{1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0};
    Codes cut = LiteralCodes(2, {1, 2, 3, 0, 1, 2, 3, 0});  // 32 bits of codes: no padding bits
    cut.pop_back();
    Px cutThenTrailer = PackCodes(2, cut);
    cutThenTrailer.insert(cutThenTrailer.end(), {0x3B, 5, 9, 9, 9, 9, 9});
    const std::vector<Px> rows125 = {{1, 2, 3, 0, 1}, {2, 3, 0, 1, 2}, {3, 0}};
    const std::vector<Px> rows332 = {{1, 2, 3}, {0, 1, 2}, {3, 0}};
    const struct {
        const char* what;
        Px data;
        uint16_t width;
        int sink;
        std::vector<Px> rows;
        uint16_t result;
    } cases[] = {
        {"12 pixels into rows of 5", PackCodes(2, LiteralCodes(2, twelve)), 5, 0, rows125, 0},
        {"a partial last row gives the sink's result", PackCodes(2, LiteralCodes(2, twelve)), 5, -1, rows125, 0xFFFF},
        {"a complete last row gives 0", PackCodes(2, LiteralCodes(2, {1, 2, 3, 0, 1})), 5, -1, {{1, 2, 3, 0, 1}}, 0},
        {"data ends before the end code", PackCodes(2, cut, 255, false), 3, 0, rows332, 0},
        {"zero-length sub-block, then nothing", PackCodes(2, cut), 3, 0, rows332, 0},
        {"zero-length sub-block, then more bytes", cutThenTrailer, 3, 0, rows332, 0},
    };
    for (const auto& c : cases) {
        DecodeRun r(c.data, c.width, c.sink);
        EXPECT_EQ(r.rows, c.rows) << c.what;
        EXPECT_EQ(r.result, c.result) << c.what;
    }
}

TEST(GifDecoder, CodeSizeOutside2To9GivesFFECAtOnce) {
    for (int size : {0, 1, 10, 11, 255}) {
        DecodeRun r({uint8_t(size), 1, 0x4C, 0}, 10);
        EXPECT_EQ(r.result, kGifBadCodeSize) << size;
        EXPECT_TRUE(r.rows.empty());
        EXPECT_EQ(r.pos, 1u) << "only the code-size byte is read";
    }
}

}  // namespace
