#include "images/jpeg_loader.h"
#include "image_test_util.h"

namespace {

const std::string kJpeg = kDataDir + "jpeg/";

// Pillow decodes with libjpeg's defaults (accurate integer IDCT, smooth upsampling), as we do,
// so baseline, progressive, greyscale (grey PPMs) and CMYK pictures must agree exactly. This goes
// through the decoder's row buffer, so its layout needs no test of its own.
TEST(JpegLoader, GeneratedFilesMatchPillowPixelForPixel) { ExpectEveryFileMatchesPillow("jpeg", ".jpg", 8); }

// Nothing that is not a whole JPEG makes a picture: cuts, and broken or foreign data (the
// dispatch's message for them is checked with the file faults). Bit flips may load or fail;
// under ASan neither reads past the data.
TEST(JpegLoader, RefusesWhatIsNotACompleteJpegAndSurvivesCorruption) {
    const auto base = ReadFileBytes(kJpeg + "rgb444_64x48.jpg");
    std::vector<std::vector<uint8_t>> bad = {{}, ReadFileBytes(kDataDir + "gif/p8_1x1.gif"), {0xFF, 0xD8}, base};
    bad.back()[base.size() - 900] = 0xFF;  // scan data overwritten by an end marker
    bad.back()[base.size() - 899] = 0xD9;
    for (const char* name : {"rgb420_101x50.jpg", "progressive_80x60.jpg", "cmyk_40x24.jpg", "grey_45x31.jpg"}) {
        const auto whole = ReadFileBytes(kJpeg + name);
        for (size_t n : CutLengths(whole.size(), 0, 7)) bad.push_back(Cut(whole, n));
        ForEachCorruption(whole, 300, 1, 11, [](const std::vector<uint8_t>& flipped) {
            PictureResult r = ReadJpegBytes(flipped.data(), flipped.size());
            EXPECT_EQ(r.image.px.size(), size_t(r.image.width) * r.image.height);
        });
    }
    for (const auto& b : bad) {
        tDIB d;
        EXPECT_EQ(LoadJPEG(b.data(), b.size(), &d), 0) << b.size() << " bytes";
        EXPECT_TRUE(d.b.empty()) << b.size() << " bytes";
    }
}

}  // namespace
