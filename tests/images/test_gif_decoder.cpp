#include "images/gif_decoder.h"
#include "gif_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Codes = std::vector<std::pair<int, int>>;

// Runs the decoder over `data` and records the rows it hands over.
struct DecodeRun {
    std::vector<uint8_t> data;
    size_t pos = 0;
    std::vector<std::vector<uint8_t>> rows;
    int sinkResult = 0;
    uint16_t result = 0;

    std::vector<uint8_t> dstack = std::vector<uint8_t>(kGifStackSize);
    std::vector<uint8_t> suffix = std::vector<uint8_t>(kGifTableSize);
    std::vector<uint16_t> prefix = std::vector<uint16_t>(kGifPrefixSize);
    std::vector<uint8_t> line = std::vector<uint8_t>(2049);

    DecodeRun(std::vector<uint8_t> d, uint16_t width, int sink = 0) : data(std::move(d)), sinkResult(sink) {
        GifDecoder dec;
        dec.source = {this, [](void* c) { auto* r = static_cast<DecodeRun*>(c); return r->pos < r->data.size() ? int(r->data[r->pos++]) : -1; },
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
    std::vector<uint8_t> pixels() const {
        std::vector<uint8_t> all;
        for (auto& r : rows) all.insert(all.end(), r.begin(), r.end());
        return all;
    }
};

struct DecodeCase {
    const char* rule;
    int codeSize;
    Codes codes;
    std::vector<uint8_t> expected;  // worked out by hand
};

TEST(GifDecoder, DecodesHandWorkedCodeStreams) {
    const DecodeCase cases[] = {
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
    std::vector<uint8_t> px;
    for (int i = 0; i < 700; ++i) px.push_back(uint8_t((i * 37) % 251));
    for (int block : {1, 2, 3, 7, 254, 255}) {
        DecodeRun r(PackCodes(8, LiteralCodes(8, px), block), 700);
        EXPECT_EQ(r.pixels(), px) << "sub-blocks of " << block;
    }
    // Hand-packed: size 2, codes 4,1,1,5 (3 bits each), least significant bit first -> 0x4C 0x0A,
    // split into two one-byte sub-blocks.
    DecodeRun r({2, 1, 0x4C, 1, 0x0A, 0}, 10);
    EXPECT_EQ(r.pixels(), (std::vector<uint8_t>{1, 1}));
}

TEST(GifDecoder, FullTableAddsNothingAndKeepsTwelveBitCodesUntilClear) {
    std::vector<uint8_t> px;
    for (int i = 0; i < 3900; ++i) px.push_back(uint8_t((i * 7) ^ (i >> 3)));
    Codes codes = LiteralCodes(8, px);
    codes.pop_back();  // the end code
    // 3839 literals define codes 258..4095; code 4095 = literal 3837 followed by literal 3838.
    codes.push_back({4095, 12});
    codes.push_back({256, 12});
    codes.push_back({9, 9});
    codes.push_back({257, 9});
    DecodeRun r(PackCodes(8, codes), 1000);
    std::vector<uint8_t> expected = px;
    expected.insert(expected.end(), {px[3837], px[3838], 9});
    EXPECT_EQ(r.pixels(), expected);
}

TEST(GifDecoder, RowsOfFiveFromTwelvePixelsAre5And5And2AndTheLastRowGivesTheSinkResult) {
    const std::vector<uint8_t> px{1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0};
    for (int sink : {0, -1}) {
        DecodeRun r(PackCodes(2, LiteralCodes(2, px)), 5, sink);
        ASSERT_EQ(r.rows.size(), 3u);
        EXPECT_EQ(r.rows[0].size(), 5u);
        EXPECT_EQ(r.rows[1].size(), 5u);
        EXPECT_EQ(r.rows[2], (std::vector<uint8_t>{3, 0}));
        EXPECT_EQ(r.result, uint16_t(sink));
    }
    DecodeRun whole(PackCodes(2, LiteralCodes(2, {1, 2, 3, 0, 1})), 5, -1);
    EXPECT_EQ(whole.rows.size(), 1u);
    EXPECT_EQ(whole.result, 0) << "a complete last row gives 0, not the sink's result";
}

TEST(GifDecoder, CodeSizeOutside2To9GivesFFECAtOnce) {
    for (int size : {0, 1, 10, 11, 255}) {
        DecodeRun r({uint8_t(size), 1, 0x4C, 0}, 10);
        EXPECT_EQ(r.result, kGifBadCodeSize) << size;
        EXPECT_TRUE(r.rows.empty());
        EXPECT_EQ(r.pos, 1u) << "only the code-size byte is read";
    }
}

TEST(GifDecoder, DataEndingBeforeTheEndCodeStopsThereAndKeepsTheRows) {
    const std::vector<uint8_t> px{1, 2, 3, 0, 1, 2, 3, 0};  // 32 bits of codes: no padding bits
    Codes codes = LiteralCodes(2, px);
    codes.pop_back();
    const std::vector<std::vector<uint8_t>> inputs{
        PackCodes(2, codes, 255, false),        // end of data
        PackCodes(2, codes, 255, true),         // block terminator, then nothing
        [&] { auto d = PackCodes(2, codes, 255, true); d.insert(d.end(), {0x3B, 5, 9, 9, 9, 9, 9}); return d; }(),
    };
    for (const auto& in : inputs) {
        DecodeRun r(in, 3);
        ASSERT_EQ(r.rows.size(), 3u);
        EXPECT_EQ(r.rows[2], (std::vector<uint8_t>{3, 0}));
        EXPECT_LE(r.pos, in.size());
    }
}

}  // namespace
