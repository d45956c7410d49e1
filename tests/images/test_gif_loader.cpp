#include "images/gif_loader.h"
#include "image_test_util.h"

#include <cstring>
#include <random>

namespace {

std::vector<uint8_t> OnePixel() { return PackCodes(2, LiteralCodes(2, {1})); }

TEST(GifLoader, ChecksSignatureAndVersionAndTakesColourCountFromTheScreenFlags) {
    const struct {
        const char* version;
        uint8_t flags;
        uint16_t colours;  // 0: refused as no GIF file
    } cases[] = {{"87a", 0xFF, 256}, {"89a", 0xF7, 256}, {"00z", 0x80, 2}, {"99A", 0x83, 16}, {"89a", 0x8A, 8},
                 {"8Xa", 0x80, 0},   {"X9a", 0x80, 0},   {"89@", 0x80, 0}, {"89{", 0x80, 0},  {"89\x80", 0x80, 0}};
    for (const auto& c : cases) {
        const auto f = MakeGif(1, 1, c.flags, OnePixel(), 0, {}, c.version);
        PictureResult r = ReadGifBytes(f.data(), f.size());
        EXPECT_EQ(r.ok, c.colours != 0) << c.version;
        if (r.ok) EXPECT_EQ(std::make_pair(r.NumColors, r.BitsPerPixel), std::make_pair(c.colours, uint16_t(8)));
        else EXPECT_EQ(Messages(r), (Boxes{{"Error", "File is no GIF file!"}})) << c.version;
    }
    auto notGif = MakeGif(1, 1, 0x80, OnePixel());
    notGif[0] = 'g';
    EXPECT_EQ(ReadGifBytes(notGif.data(), notGif.size()).messages.at(0).text, "File is no GIF file!");
    EXPECT_EQ(ReadGifBytes(notGif.data(), 3).messages.at(0).text, "File is no GIF file!");
}

TEST(GifLoader, InterlacedRowsAreStoredInPassOrder) {
    const std::vector<int> orders[] = {
        {0, 8, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15}, {0, 2, 1}, {0, 4, 2, 1, 3}, {0}};
    for (const auto& order : orders) {
        const int height = int(order.size());
        std::vector<uint8_t> px;  // the k-th row in the file is all k
        for (int k = 0; k < height; ++k) px.insert(px.end(), {uint8_t(k), uint8_t(k)});
        px.insert(px.end(), {31, 31, 31, 31});  // rows past the last pass are dropped
        const auto f = MakeGif(2, height, 0x84, PackCodes(5, LiteralCodes(5, px)), 0x40);
        PictureResult r = ReadGifBytes(f.data(), f.size());
        ASSERT_TRUE(r.ok);
        for (int k = 0; k < height; ++k)
            EXPECT_EQ(r.image.at(1, order[k]), uint32_t(k) * 0x010101u) << "height " << height << " row " << k;
    }
}

TEST(GifLoader, BuildsATopDownEightBitBlockWithRowsRoundedToFourBytes) {
    std::vector<uint8_t> px;
    for (int i = 0; i < 15; ++i) px.push_back(uint8_t(i + 1));
    const auto f = MakeGif(5, 3, 0x84, PackCodes(5, LiteralCodes(5, px)));
    GifView v = gifview(f.data(), f.size());
    EXPECT_EQ(std::make_pair(v.Xsize, v.Ysize), std::make_pair(5, 3));
    ASSERT_EQ(v.dib.size(), 40u + 4 * 32 + 8 * 3);
    std::vector<uint32_t> words(v.dib.size() / 4);
    std::memcpy(words.data(), v.dib.data(), v.dib.size());
    // size, width, height -3 (top-down), planes 1 and 8 bits, BI_RGB, 24 bytes of bits; 32 colours.
    EXPECT_EQ(std::vector<uint32_t>(words.begin(), words.begin() + 6),
              (std::vector<uint32_t>{40, 5, 0xFFFFFFFD, 0x80001, 0, 24}));
    EXPECT_EQ(words[8], 32u);
    EXPECT_EQ(words[10 + 7], 0x00070707u);
    const uint8_t expected[24] = {1, 2, 3, 4, 5, 0, 0, 0, 6, 7, 8, 9, 10, 0, 0, 0, 11, 12, 13, 14, 15, 0, 0, 0};
    EXPECT_EQ(std::memcmp(v.dib.data() + 40 + 4 * 32, expected, 24), 0);
}

TEST(GifLoader, SkipsExtensionsAndReadsOnlyTheFirstImage) {
    const std::vector<uint8_t> extensions{0x21, 0xF9, 4, 1, 0, 0, 0, 0,                  // graphic control
                                          0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0,  // comment
                                          0x21, 0x2A, 0};                                // unknown label, no data
    auto f = MakeGif(2, 1, 0x81, PackCodes(2, LiteralCodes(2, {1, 2})), 0, extensions);
    const auto second = PackCodes(2, LiteralCodes(2, {3, 3}));
    f.pop_back();
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
    f.insert(f.end(), second.begin(), second.end());
    f.push_back(0x3B);
    PictureResult r = ReadGifBytes(f.data(), f.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.px, (std::vector<uint32_t>{0x010101, 0x020202}));
}

TEST(GifLoader, RefusesFilesWithoutAUsableFirstImage) {
    const auto good = MakeGif(4, 4, 0x81, PackCodes(2, LiteralCodes(2, {1})));
    const std::vector<uint8_t> header{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0};
    auto with = [](std::vector<uint8_t> f, std::initializer_list<uint8_t> more) {
        f.insert(f.end(), more);
        return f;
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
    auto extensionCut = MakeGif(1, 1, 0x80, {}, 0, {0x21, 0xFE, 9, 1});
    extensionCut.resize(22);
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        Boxes messages;  // the loader's own, if any
    } cases[] = {
        {"no global colour table", MakeGif(1, 1, 0x77, OnePixel()), {}},
        {"trailer first", with(header, {0x3B}), {}},
        {"unknown block", with(header, {0x00}), {}},
        {"header cut", cut(10), {}},
        {"colour table cut", cut(15), {}},
        {"descriptor cut", cut(24), {}},
        {"extension cut", extensionCut, {}},
        {"width 0", MakeGif(0, 4, 0x81, OnePixel()), {{"Error", "The GIF image has no pixels!"}}},
        {"height 0", MakeGif(4, 0, 0x81, OnePixel()), {{"Error", "The GIF image has no pixels!"}}},
        {"too large", MakeGif(65535, 65535, 0x81, OnePixel()), {{"Error", "The GIF image is too large!"}}},
    };
    for (const auto& c : cases) {
        PictureResult r = ReadGifBytes(c.file.data(), c.file.size());
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(Messages(r), c.messages) << c.what;
    }
    EXPECT_EQ(Messages(ReadPictureFile("/nonexistent/picture.gif")),
              (Boxes{{"LoadFile Error", "Couldn't open file:/nonexistent/picture.gif"},
                     {"Orvalis", "Error from LoadGIF()!"}}));
}

// Sizes, bit depths, interlacing, extensions, local tables and a row wider than 2048 pixels.
TEST(GifLoader, GeneratedFilesMatchPillowPixelForPixel) { ExpectEveryFileMatchesPillow("gif", ".gif", 10); }

// Cut at every length: a picture or a refusal, never a read past the cut (the sanitizer
// build watches), and the pixels the cut data does not reach are colour 0.
TEST(GifLoader, TruncatedAndCorruptedFilesStayInsideTheData) {
    for (const char* name : {"p256_97x61.gif", "im_gce_23x19_il.gif", "p4_33x21_il.gif"}) {
        const auto whole = ReadFileBytes(kDataDir + "gif/" + name);
        PictureResult full = ReadGifBytes(whole.data(), whole.size());
        ASSERT_TRUE(full.ok);
        const GifView view = gifview(whole.data(), whole.size());
        const uint32_t colour0 = uint32_t(view.dib[42] << 16 | view.dib[41] << 8 | view.dib[40]);
        const bool interlaced = std::string(name).find("_il") != std::string::npos;
        for (size_t cut = 0; cut < whole.size(); ++cut) {
            const std::vector<uint8_t> part(whole.begin(), whole.begin() + long(cut));  // exact size for ASan
            PictureResult r = ReadGifBytes(part.data(), part.size());
            if (!r.ok || interlaced) continue;
            size_t k = 0;
            while (k < r.image.px.size() && r.image.px[k] == full.image.px[k]) ++k;
            for (size_t j = k; j < r.image.px.size(); ++j) ASSERT_EQ(r.image.px[j], colour0) << name << " cut " << cut;
        }
        std::mt19937 rng(3);
        for (int i = 0; i < 2000; ++i) {
            auto bad = whole;
            for (int n = 0; n < 3; ++n) bad[rng() % bad.size()] ^= uint8_t(1u << (rng() % 8));
            ReadGifBytes(bad.data(), bad.size());
        }
    }
}

}  // namespace
