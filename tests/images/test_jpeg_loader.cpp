#include "images/jpeg_loader.h"
#include "image_test_util.h"

#include <random>
#include <tuple>

namespace {

const std::string kJpeg = kDataDir + "jpeg/";

// Pillow decodes with libjpeg's defaults (accurate integer IDCT, smooth upsampling), as we do,
// so baseline, progressive, greyscale (grey PPMs) and CMYK pictures must agree exactly.
TEST(JpegLoader, GeneratedFilesMatchPillowPixelForPixel) { ExpectEveryFileMatchesPillow("jpeg", ".jpg", 8); }

TEST(JpegLoader, RowsAreBlueGreenRedTopRowFirstPaddedToFourBytes) {
    const auto bytes = ReadFileBytes(kJpeg + "rgb420_101x50.jpg");
    const Image32 ref = ReadPpm(kJpeg + "rgb420_101x50.ppm");
    tDIB d;
    ASSERT_EQ(LoadJPEG(bytes.data(), bytes.size(), &d), 1);
    EXPECT_EQ(std::make_tuple(d.x, d.y, d.l), std::make_tuple(101, 50, 304));
    ASSERT_EQ(d.b.size(), 304u * 50);
    for (int y : {0, 25, 49}) {
        const uint8_t* row = &d.b[size_t(y) * 304];
        for (int x : {0, 50, 100})
            EXPECT_EQ(uint32_t(row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]), ref.at(x, y)) << x << "," << y;
        EXPECT_EQ(row[303], 0) << "pad byte";
    }
}

// Nothing that is not a whole JPEG makes a picture: every cut, and broken or foreign data.
// Bit flips may load or fail; under the sanitizer build neither may read outside the data.
TEST(JpegLoader, RefusesWhatIsNotACompleteJpegAndSurvivesCorruption) {
    const auto base = ReadFileBytes(kJpeg + "rgb444_64x48.jpg");
    std::vector<std::vector<uint8_t>> bad = {
        {}, ReadFileBytes(kDataDir + "gif/p8_1x1.gif"), {0xFF, 0xD8}, std::vector<uint8_t>(base.begin(), base.end() - 2)};
    bad.push_back(base);  // scan data overwritten by an end marker
    bad.back()[base.size() - 900] = 0xFF;
    bad.back()[base.size() - 899] = 0xD9;
    for (const char* name : {"rgb420_101x50.jpg", "progressive_80x60.jpg", "cmyk_40x24.jpg", "grey_45x31.jpg"}) {
        const auto whole = ReadFileBytes(kJpeg + name);
        for (size_t cut = 0; cut < whole.size(); cut += 7) bad.emplace_back(whole.begin(), whole.begin() + long(cut));
        std::mt19937 rng(11);
        for (int i = 0; i < 300; ++i) {
            auto flipped = whole;
            flipped[rng() % flipped.size()] ^= uint8_t(1u << (rng() % 8));
            PictureResult r = ReadJpegBytes(flipped.data(), flipped.size());
            if (r.ok) {
                EXPECT_EQ(r.image.px.size(), size_t(r.image.width) * r.image.height);
            }
        }
    }
    for (const auto& b : bad) {
        tDIB d;
        EXPECT_EQ(LoadJPEG(b.data(), b.size(), &d), 0) << b.size() << " bytes";
        EXPECT_TRUE(d.b.empty()) << b.size() << " bytes";
    }
}

TEST(JpegLoader, FailedLoadShowsTheDispatchMessageOnly) {
    const std::string notJpeg = ::testing::TempDir() + "orvalis_not_a_jpeg.JPG";
    std::ofstream(notJpeg, std::ios::binary) << "GIF89a, not a JPEG";
    for (const std::string& path : {std::string("/nonexistent/x.jpg"), notJpeg}) {
        const PictureResult r = ReadPictureFile(path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(Messages(r), (Boxes{{"Orvalis", "Error reading JPEG file!"}})) << path;
    }
    std::filesystem::remove(notJpeg);
}

}  // namespace
