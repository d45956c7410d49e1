// BMP files and the DIB converter. Expected pixels are ImageMagick's reading of the same
// files (tests/data/make_bmp.sh) or worked out by hand.
#include "images/dib.h"
#include "image_test_util.h"

#include <algorithm>
#include <cstdio>

namespace {

const std::string kBmp = kDataDir + "bmp/";

PictureResult Read(const std::vector<uint8_t>& b) { return ReadBmpBytes(b.data(), b.size()); }

// The picture as rows of red, green, blue bytes, like ImageMagick's rgb: output.
std::vector<uint8_t> RgbBytes(const Image32& img) {
    std::vector<uint8_t> out;
    for (uint32_t p : img.px) out.insert(out.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    return out;
}

const char* const kGoodFiles[] = {
    "pal1", "pal4", "pal8", "pal8-used", "pal8-topdown", "rle8", "rle4", "rle4-skips", "rgb24", "rgb24-topdown",
    "rgb32", "rgb16-555", "rgb16-565", "rgb16-555-v5", "rgb16-565-v5", "rgba16-4444-v5", "rgba32-v5",
    "core1", "core4", "core8", "core24",
};

// Every form decodes like ImageMagick; a file cut anywhere is refused with one message, or
// (a run-length file that lost only its end code) gives the same picture; header fields set to
// extreme values are refused or decoded. Under ASan: nothing is read outside the file.
TEST(BmpReader, DecodesEveryFormLikeImageMagickAndSurvivesCutsAndExtremeFields) {
    for (const char* name : kGoodFiles) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> whole = ReadFileBytes(kBmp + name + ".bmp");
        const PictureResult full = Read(whole);
        ASSERT_TRUE(full.ok) << (full.messages.empty() ? "" : full.messages[0].text);
        EXPECT_EQ(std::make_pair(29, 13), std::make_pair(full.image.width, full.image.height));
        EXPECT_EQ(RgbBytes(full.image), ReadFileBytes(kBmp + name + ".rgb"));
        for (size_t n = 0; n < whole.size(); ++n) {
            const PictureResult r = Read(std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)));
            EXPECT_TRUE(r.ok ? r.image.px == full.image.px : r.messages.size() == 1u) << "cut at " << n;
        }
        for (size_t at = 0; at < 70; ++at)
            for (uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                std::vector<uint8_t> b = whole;
                b[at] = v;
                const PictureResult r = Read(b);
                EXPECT_TRUE(r.ok || r.messages.size() == 1u) << at << " = " << int(v);
            }
    }
}

TEST(BmpReader, RefusesBrokenFilesWithTheirMessage) {
    constexpr size_t kAll = SIZE_MAX;
    const std::string kCreateFailed = "Error on Fail in creating DIB bitmap from file! = 22\n";
    struct Case {
        const char* what;
        const char* file;
        size_t keep;                                   // bytes kept
        std::vector<std::pair<size_t, uint32_t>> set;  // 32-bit fields changed: offset, value
        std::string text;
    } cases[] = {
        {"not BM", "pal8", kAll, {{0, 0x38464947}}, "This is not a DIB bitmap file!"},
        {"empty", "pal8", 0, {}, "This is not a DIB bitmap file!"},
        {"no header size", "pal8", 16, {}, "The file is shorter than its bitmap header!"},
        {"cut in info header", "pal8", 40, {}, "The file is shorter than its bitmap header!"},
        {"cut in masks", "rgb16-565", 60, {}, "The file is shorter than its bitmap header!"},
        {"huge header size", "pal8", kAll, {{14, 0xFFFFFFFF}}, "The file is shorter than its bitmap header!"},
        {"cut in RGB quads", "pal8-used", 54 + 4 * 50, {}, "The file is shorter than its colour table!"},
        {"cut in RGB triples", "core8", 26 + 3 * 200, {}, "The file is shorter than its colour table!"},
        {"bits offset past end", "rgb24", kAll, {{10, 1199}}, "The bitmap bits start past the end of the file!"},
        {"last row padding missing", "rgb24", 1197, {}, "The file is shorter than its bitmap bits!"},
        {"bits offset at end", "rgb24", kAll, {{10, 1198}}, "The file is shorter than its bitmap bits!"},
        {"tall picture, few bits", "rgb24", kAll, {{22, 30000}}, "The file is shorter than its bitmap bits!"},
        {"wider than the limit", "rgb24", kAll, {{18, 32769}}, kCreateFailed},
        {"more pixels than the limit", "rgb24", kAll, {{18, 32768}, {22, 32768}}, kCreateFailed},
        {"RLE bomb", "rle8", kAll, {{18, 32768}, {22, 32768}}, kCreateFailed},
        {"negative width", "rgb24", kAll, {{18, uint32_t(-29)}}, kCreateFailed},
        {"zero height", "rgb24", kAll, {{22, 0}}, kCreateFailed},
        {"most negative height", "rgb24", kAll, {{22, 0x80000000}}, kCreateFailed},
        {"bit count 2", "pal8", kAll, {{26, 0x00020001}}, kCreateFailed},
        {"JPEG compression", "rgb24", kAll, {{30, 4}}, kCreateFailed},
        {"bitfields on 8 bits", "pal8", kAll, {{30, 3}}, kCreateFailed},
        {"top-down RLE", "rle8", kAll, {{22, uint32_t(-13)}}, kCreateFailed},
        {"header size 66", "pal8", kAll, {{14, 66}}, kCreateFailed},
        {"split mask", "rgb16-565", kAll, {{54, 0xF00F}}, kCreateFailed},
        {"RLE run cut off", "rle8", 1100, {}, kCreateFailed},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = ReadFileBytes(kBmp + c.file + ".bmp");
        b.resize(std::min(b.size(), c.keep));
        for (auto [at, value] : c.set)
            for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(value >> (8 * i));
        const PictureResult r = Read(b);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(Messages(r), (Boxes{{"Error", c.text}})) << c.what;
    }
}

TEST(BmpReader, FileErrorsCarryTheSystemCodeAndTheDispatchAddsItsMessage) {
    const std::string empty = ::testing::TempDir() + "orvalis_empty.bmp";
    std::fclose(std::fopen(empty.c_str(), "wb"));
    const std::pair<std::string, std::string> cases[] = {
        {kBmp + "missing.bmp", "Error on Fail in file open = 2\n"},
        {kBmp, "Error on Fail in file open = 21\n"},
        {empty, "Error on Fail in creating map file = 22\n"},
    };
    for (const auto& [path, text] : cases) {
        const PictureResult r = LoadBitmapFileCore(path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(Messages(r), (Boxes{{"Error", text}})) << path;
    }
    const PictureResult good = LoadBitmapFileCore(kBmp + "rgb24.bmp");
    ASSERT_TRUE(good.ok);
    EXPECT_EQ(RgbBytes(good.image), ReadFileBytes(kBmp + "rgb24.rgb"));
    EXPECT_EQ(Messages(ReadPictureFile(kBmp + "missing.bmp")),
              (Boxes{{"Error", "Error on Fail in file open = 2\n"}, {"Orvalis", "Error reading bitmap!"}}));
}

}  // namespace
