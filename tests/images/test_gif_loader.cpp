#include "images/gif_loader.h"
#include "images/picture_file.h"
#include "gif_test_util.h"
#include "gif_jpeg_test_util.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace {

std::vector<uint8_t> OnePixel() { return PackCodes(2, LiteralCodes(2, {1})); }

TEST(GifLoader, AcceptsTwoDigitsAndALetterAsVersionAndRefusesTheRest) {
    const struct {
        const char* version;
        bool accepted;
    } cases[] = {{"87a", true}, {"89a", true}, {"00z", true}, {"99A", true},  {"8Xa", false},
                 {"X9a", false}, {"89@", false}, {"89{", false}, {"89\x80", false}};
    for (const auto& c : cases) {
        const auto f = MakeGif(1, 1, 0x80, OnePixel(), 0, {}, c.version);
        PictureResult r = ReadGifBytes(f.data(), f.size());
        EXPECT_EQ(r.ok, c.accepted) << c.version;
        if (!c.accepted) {
            ASSERT_EQ(r.messages.size(), 1u) << c.version;
            EXPECT_EQ(r.messages[0].text, "File is no GIF file!");
            EXPECT_EQ(r.messages[0].caption, "Error");
        }
    }
    auto notGif = MakeGif(1, 1, 0x80, OnePixel());
    notGif[0] = 'g';
    EXPECT_EQ(ReadGifBytes(notGif.data(), notGif.size()).messages.at(0).text, "File is no GIF file!");
    EXPECT_EQ(ReadGifBytes(notGif.data(), 3).messages.at(0).text, "File is no GIF file!");
}

TEST(GifLoader, ColourCountComesFromTheSizeBitsOfTheScreenFlags) {
    const struct {
        uint8_t flags;
        uint16_t colours;
    } cases[] = {{0xFF, 256}, {0xF7, 256}, {0x80, 2}, {0x83, 16}, {0x8A, 8}};
    for (const auto& c : cases) {
        const auto f = MakeGif(1, 1, c.flags, OnePixel());
        PictureResult r = ReadGifBytes(f.data(), f.size());
        EXPECT_TRUE(r.ok) << int(c.flags);
        EXPECT_EQ(r.NumColors, c.colours) << int(c.flags);
        EXPECT_EQ(r.BitsPerPixel, 8);
    }
    const auto noTable = MakeGif(1, 1, 0x77, OnePixel());
    PictureResult r = ReadGifBytes(noTable.data(), noTable.size());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.messages.empty()) << "no global colour table fails without a message of its own";
}

TEST(GifLoader, InterlacedRowsAreStoredInPassOrder) {
    const struct {
        int height;
        std::vector<int> order;
    } cases[] = {{16, {0, 8, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15}},
                 {3, {0, 2, 1}},
                 {5, {0, 4, 2, 1, 3}},
                 {1, {0}}};
    for (const auto& c : cases) {
        std::vector<uint8_t> px;  // the k-th row in the file is all k
        for (int k = 0; k < c.height; ++k) px.insert(px.end(), {uint8_t(k), uint8_t(k)});
        px.insert(px.end(), {31, 31, 31, 31});  // rows past the last pass are dropped
        const auto f = MakeGif(2, c.height, 0x84, PackCodes(5, LiteralCodes(5, px)), 0x40);
        PictureResult r = ReadGifBytes(f.data(), f.size());
        ASSERT_TRUE(r.ok);
        for (int k = 0; k < c.height; ++k)
            EXPECT_EQ(r.image.at(1, c.order[k]), uint32_t(k) * 0x010101u) << "height " << c.height << " row " << k;
    }
}

TEST(GifLoader, BuildsATopDownEightBitBlockWithRowsRoundedToFourBytes) {
    std::vector<uint8_t> px;
    for (int i = 0; i < 15; ++i) px.push_back(uint8_t(i + 1));
    const auto f = MakeGif(5, 3, 0x84, PackCodes(5, LiteralCodes(5, px)));
    GifView v = gifview(f.data(), f.size());
    auto le32 = [&](size_t at) { return uint32_t(v.dib[at] | v.dib[at + 1] << 8 | v.dib[at + 2] << 16 | v.dib[at + 3] << 24); };
    ASSERT_EQ(v.dib.size(), 40u + 4 * 32 + 8 * 3);
    EXPECT_EQ(le32(0), 40u);
    EXPECT_EQ(le32(4), 5u);
    EXPECT_EQ(int32_t(le32(8)), -3);
    EXPECT_EQ(v.dib[12], 1);
    EXPECT_EQ(v.dib[14], 8);
    EXPECT_EQ(le32(16), 0u);
    EXPECT_EQ(le32(20), 24u);
    EXPECT_EQ(le32(32), 32u);
    EXPECT_EQ(le32(40 + 4 * 7), 0x00070707u);
    const uint8_t* rows = v.dib.data() + 40 + 4 * 32;
    const uint8_t expected[24] = {1, 2, 3, 4, 5, 0, 0, 0, 6, 7, 8, 9, 10, 0, 0, 0, 11, 12, 13, 14, 15, 0, 0, 0};
    EXPECT_EQ(std::memcmp(rows, expected, 24), 0);
    EXPECT_EQ(v.Xsize, 5);
    EXPECT_EQ(v.Ysize, 3);
}

TEST(GifLoader, SkipsExtensionsAndReadsOnlyTheFirstImage) {
    const std::vector<uint8_t> extensions{0x21, 0xF9, 4, 1, 0, 0, 0, 0,  // graphic control
                                          0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0,  // comment
                                          0x21, 0x2A, 0};  // unknown label, no data
    auto f = MakeGif(2, 1, 0x81, PackCodes(2, LiteralCodes(2, {1, 2})), 0, extensions);
    f.pop_back();
    const auto second = PackCodes(2, LiteralCodes(2, {3, 3}));
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
    f.insert(f.end(), second.begin(), second.end());
    f.push_back(0x3B);
    PictureResult r = ReadGifBytes(f.data(), f.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.px, (std::vector<uint32_t>{0x010101, 0x020202}));
}

TEST(GifLoader, RefusesFilesWithoutAUsableFirstImage) {
    const auto good = MakeGif(4, 4, 0x81, PackCodes(2, LiteralCodes(2, {1})));
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        const char* message;  // nullptr: no message of the loader's own
    } cases[] = {
        {"trailer first", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x3B}, nullptr},
        {"unknown block", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}, nullptr},
        {"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 10), nullptr},
        {"colour table cut", std::vector<uint8_t>(good.begin(), good.begin() + 15), nullptr},
        {"descriptor cut", std::vector<uint8_t>(good.begin(), good.begin() + 24), nullptr},
        {"extension cut", [] { auto f = MakeGif(1, 1, 0x80, {}, 0, {0x21, 0xFE, 9, 1}); f.resize(22); return f; }(), nullptr},
        {"width 0", MakeGif(0, 4, 0x81, OnePixel()), "The GIF image has no pixels!"},
        {"height 0", MakeGif(4, 0, 0x81, OnePixel()), "The GIF image has no pixels!"},
        {"too large", MakeGif(65535, 65535, 0x81, OnePixel()), "The GIF image is too large!"},
    };
    for (const auto& c : cases) {
        PictureResult r = ReadGifBytes(c.file.data(), c.file.size());
        EXPECT_FALSE(r.ok) << c.what;
        if (c.message) {
            ASSERT_EQ(r.messages.size(), 1u) << c.what;
            EXPECT_EQ(r.messages[0].text, c.message);
            EXPECT_EQ(r.messages[0].caption, "Error");
        } else {
            EXPECT_TRUE(r.messages.empty()) << c.what;
        }
    }
}

TEST(GifLoader, MissingFileGivesTheLoadFileMessageThenTheDispatchMessage) {
    PictureResult r = ReadPictureFile("/nonexistent/picture.gif");
    ASSERT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.messages[0].caption, "LoadFile Error");
    EXPECT_EQ(r.messages[0].text, "Couldn't open file:/nonexistent/picture.gif");
    EXPECT_EQ(r.messages[1].caption, "Orvalis");
    EXPECT_EQ(r.messages[1].text, "Error from LoadGIF()!");
}

TEST(GifLoader, GeneratedFilesMatchPillowPixelForPixel) {
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::string(ORVALIS_SOURCE_DIR) + "/tests/data/gif")) {
        if (e.path().extension() != ".gif") continue;
        ++files;
        const Image32 ref = ReadPpm(std::filesystem::path(e.path()).replace_extension(".ppm").string());
        PictureResult r = ReadPictureFile(e.path().string());
        ASSERT_TRUE(r.ok) << e.path();
        EXPECT_TRUE(SamePixels(r.image, ref)) << e.path();
    }
    EXPECT_GE(files, 10);
}

// Encodes with giflib, rows written in the order the file stores them.
std::vector<uint8_t> GiflibEncode(int w, int h, int bits, bool interlaced, const std::vector<uint8_t>& px) {
    std::vector<uint8_t> out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* b, int n) {
        static_cast<std::vector<uint8_t>*>(g->UserData)->insert(static_cast<std::vector<uint8_t>*>(g->UserData)->end(), b, b + n);
        return n;
    }, &err);
    std::vector<GifColorType> colours(size_t(1) << bits);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = {GifByteType(i), GifByteType(i * 3), GifByteType(255 - i)};
    ColorMapObject* map = GifMakeMapObject(int(colours.size()), colours.data());
    EGifPutScreenDesc(gif, w, h, bits, 0, map);
    EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr);
    const int first[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int p = 0; p < (interlaced ? 4 : 1); ++p)
        for (int y = interlaced ? first[p] : 0; y < h; y += interlaced ? step[p] : 1)
            EGifPutLine(gif, const_cast<GifPixelType*>(&px[size_t(y) * w]), w);
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

TEST(GifLoader, GiflibEncodedPicturesDecodeToTheirPixels) {
    const struct {
        int w, h, bits;
        bool interlaced;
        double noise;
    } cases[] = {{1, 1, 1, false, 0}, {7, 3, 2, true, 1}, {300, 200, 8, false, 1}, {300, 200, 8, true, 0.05},
                 {2500, 2, 8, false, 0.5}, {3, 900, 4, true, 1}, {64, 64, 1, false, 0.2}};
    std::mt19937 rng(7);
    for (const auto& c : cases) {
        std::vector<uint8_t> px(size_t(c.w) * c.h);
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = uint8_t(std::uniform_real_distribution<>(0, 1)(rng) < c.noise ? rng() : i / 97) & ((1 << c.bits) - 1);
        const auto f = GiflibEncode(c.w, c.h, c.bits, c.interlaced, px);
        GifView v = gifview(f.data(), f.size());
        ASSERT_FALSE(v.dib.empty()) << c.w << "x" << c.h;
        const size_t stride = (size_t(c.w) + 3) & ~size_t(3);
        const uint8_t* rows = v.dib.data() + 40 + (size_t(4) << c.bits);
        for (int y = 0; y < c.h; ++y)
            ASSERT_EQ(std::memcmp(rows + y * stride, &px[size_t(y) * c.w], size_t(c.w)), 0) << c.w << "x" << c.h << " row " << y;
    }
}

// Cut at every length: a picture or a refusal, never a read past the cut (the sanitizer
// build watches), and the pixels the cut data does not reach are colour 0.
TEST(GifLoader, TruncatedAndCorruptedFilesStayInsideTheData) {
    for (const char* name : {"p256_97x61.gif", "im_gce_23x19_il.gif", "p4_33x21_il.gif"}) {
        const auto whole = ReadFileBytes(std::string(ORVALIS_SOURCE_DIR) + "/tests/data/gif/" + name);
        PictureResult full = ReadGifBytes(whole.data(), whole.size());
        ASSERT_TRUE(full.ok);
        const uint32_t colour0 = [&] { GifView v = gifview(whole.data(), whole.size()); return uint32_t(v.dib[42] << 16 | v.dib[41] << 8 | v.dib[40]); }();
        const bool interlaced = std::string(name).find("_il") != std::string::npos;
        for (size_t cut = 0; cut < whole.size(); ++cut) {
            std::vector<uint8_t> part(whole.begin(), whole.begin() + long(cut));
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
