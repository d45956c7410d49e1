#include "images/jpeg_loader.h"
#include "images/picture_file.h"
#include "gif_jpeg_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

std::string DataFile(const char* name) { return std::string(ORVALIS_SOURCE_DIR) + "/tests/data/jpeg/" + name; }

TEST(JpegLoader, GeneratedFilesMatchPillowPixelForPixel) {
    // Pillow decodes with libjpeg's defaults (accurate integer IDCT, smooth upsampling), as
    // we do, so baseline, progressive, greyscale and CMYK pictures must agree exactly.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::string(ORVALIS_SOURCE_DIR) + "/tests/data/jpeg")) {
        if (e.path().extension() != ".jpg") continue;
        ++files;
        const Image32 ref = ReadPpm(std::filesystem::path(e.path()).replace_extension(".ppm").string());
        PictureResult r = ReadPictureFile(e.path().string());
        ASSERT_TRUE(r.ok) << e.path();
        EXPECT_TRUE(r.messages.empty());
        EXPECT_TRUE(SamePixels(r.image, ref)) << e.path();
    }
    EXPECT_GE(files, 8);
}

TEST(JpegLoader, RowsAreBlueGreenRedTopRowFirstPaddedToFourBytes) {
    const auto bytes = ReadFileBytes(DataFile("rgb420_101x50.jpg"));
    const Image32 ref = ReadPpm(DataFile("rgb420_101x50.ppm"));
    tDIB d;
    ASSERT_EQ(LoadJPEG(bytes.data(), bytes.size(), &d), 1);
    EXPECT_EQ(d.x, 101);
    EXPECT_EQ(d.y, 50);
    EXPECT_EQ(d.l, 304);
    ASSERT_EQ(d.b.size(), 304u * 50);
    for (int y : {0, 25, 49}) {
        const uint8_t* row = &d.b[size_t(y) * 304];
        for (int x : {0, 50, 100}) {
            const uint32_t rgb = ref.at(x, y);
            EXPECT_EQ(row[3 * x + 0], uint8_t(rgb)) << x << "," << y;
            EXPECT_EQ(row[3 * x + 1], uint8_t(rgb >> 8));
            EXPECT_EQ(row[3 * x + 2], uint8_t(rgb >> 16));
        }
        EXPECT_EQ(row[303], 0) << "pad byte";
    }
}

TEST(JpegLoader, GreyPicturesShowGrey) {
    const auto bytes = ReadFileBytes(DataFile("grey_45x31.jpg"));
    PictureResult r = ReadJpegBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(r.ok);
    for (uint32_t p : r.image.px) ASSERT_TRUE((p & 0xFF) == ((p >> 8) & 0xFF) && (p & 0xFF) == ((p >> 16) & 0xFF));
}

TEST(JpegLoader, RefusesWhatIsNotACompleteJpeg) {
    const auto good = ReadFileBytes(DataFile("progressive_80x60.jpg"));
    const auto base = ReadFileBytes(DataFile("rgb444_64x48.jpg"));
    const auto gif = ReadFileBytes(std::string(ORVALIS_SOURCE_DIR) + "/tests/data/gif/p8_1x1.gif");
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"a GIF", gif},
        {"only the start marker", {0xFF, 0xD8}},
        {"progressive cut before its last scan", std::vector<uint8_t>(good.begin(), good.end() - 400)},
        {"baseline cut in the scan", std::vector<uint8_t>(base.begin(), base.begin() + long(base.size() * 2 / 3))},
        {"end marker missing", std::vector<uint8_t>(base.begin(), base.end() - 2)},
        {"scan data overwritten by a marker", [&] { auto b = base; b[b.size() - 900] = 0xFF; b[b.size() - 899] = 0xD9; return b; }()},
    };
    for (const auto& c : cases) {
        tDIB d;
        EXPECT_EQ(LoadJPEG(c.bytes.data(), c.bytes.size(), &d), 0) << c.what;
        EXPECT_TRUE(d.b.empty()) << c.what;
    }
}

TEST(JpegLoader, FailedLoadShowsTheDispatchMessageOnly) {
    const std::string notJpeg = (std::filesystem::temp_directory_path() / "orvalis_not_a_jpeg.JPG").string();
    {
        std::ofstream f(notJpeg, std::ios::binary);
        f << "GIF89a, not a JPEG";
    }
    for (const std::string& path : {std::string("/nonexistent/x.jpg"), notJpeg}) {
        PictureResult r = ReadPictureFile(path);
        EXPECT_FALSE(r.ok);
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_EQ(r.messages[0].caption, "Orvalis");
        EXPECT_EQ(r.messages[0].text, "Error reading JPEG file!");
    }
    std::filesystem::remove(notJpeg);
}

// Every cut fails; bit flips may load or fail, but under the sanitizer build neither may
// read outside the data.
TEST(JpegLoader, TruncatedAndCorruptedFilesNeverCrash) {
    for (const char* name : {"rgb420_101x50.jpg", "progressive_80x60.jpg", "cmyk_40x24.jpg", "grey_45x31.jpg"}) {
        const auto whole = ReadFileBytes(DataFile(name));
        for (size_t cut = 0; cut < whole.size(); cut += 7) {
            tDIB d;
            ASSERT_EQ(LoadJPEG(whole.data(), cut, &d), 0) << name << " cut " << cut;
        }
        std::mt19937 rng(11);
        for (int i = 0; i < 300; ++i) {
            auto bad = whole;
            bad[rng() % bad.size()] ^= uint8_t(1u << (rng() % 8));
            PictureResult r = ReadJpegBytes(bad.data(), bad.size());
            if (r.ok) {
                EXPECT_EQ(r.image.px.size(), size_t(r.image.width) * r.image.height);
            }
        }
    }
}

}  // namespace
