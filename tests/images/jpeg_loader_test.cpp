#include "images/jpeg_loader.h"
#include "image_test_util.h"

#include <algorithm>

namespace {

const std::string kJpeg = kDataDir + "jpeg/";
const uint8_t kSos[] = {0xFF, 0xDA};  // start of scan

// Pillow decodes with libjpeg's defaults (accurate integer IDCT, smooth upsampling), as we do,
// so baseline, progressive, greyscale (grey PPMs) and CMYK pictures must agree exactly. This goes
// through the decoder's row buffer, so its layout needs no test of its own.
TEST(JpegLoader, GeneratedFilesMatchPillowPixelForPixel) { ExpectEveryFileMatchesPillow("jpeg", ".jpg", 8); }

const char* const kDamaged[] = {"rgb420_101x50.jpg", "progressive_80x60.jpg", "cmyk_40x24.jpg", "grey_45x31.jpg"};

// Nothing that is not a whole JPEG makes a picture: cuts, and broken or foreign data (the
// dispatch's message for them is checked with the file faults).
TEST(JpegLoader, NothingButAWholeJpegMakesAPicture) {
    const auto base = ReadFileBytes(kJpeg + "rgb444_64x48.jpg");
    std::vector<std::vector<uint8_t>> bad = {{}, ReadFileBytes(kDataDir + "gif/p8_1x1.gif"), {0xFF, 0xD8}, base};
    bad.back()[base.size() - 900] = 0xFF;  // scan data overwritten by an end marker
    bad.back()[base.size() - 899] = 0xD9;
    for (const char* name : kDamaged) {
        const auto whole = ReadFileBytes(kJpeg + name);
        for (size_t n : CutLengths(whole.size(), 0, 7)) bad.push_back(Cut(whole, n));
    }
    for (const auto& b : bad) {
        tDIB d;
        EXPECT_EQ(LoadJPEG(b.data(), b.size(), &d), 0) << b.size() << " bytes";
        EXPECT_TRUE(d.b.empty()) << b.size() << " bytes";
    }
}

// A flipped bit anywhere either leaves a picture of the file's size (its own size when the flip
// hit the headers before the scan) or a refusal with the JPEG reader's message and no pixels;
// the file is read into a buffer of its exact size, so the ASan build sees any read past it.
TEST(JpegLoader, DamagedFileDecodesAtItsSizeOrIsRefusedWithTheReadersMessage) {
    const TempDir dir("orvalis-jpegflip");
    const std::string path = dir / "damaged.jpg";
    for (const char* name : kDamaged) {
        const auto whole = ReadFileBytes(kJpeg + name);
        const PictureResult good = ReadJpegBytes(whole.data(), whole.size());
        const size_t scan = std::search(whole.begin(), whole.end(), kSos, kSos + 2) - whole.begin();
        int refused = 0;
        ForEachCorruption(whole, 300, 1, 11, [&](const std::vector<uint8_t>& flipped) {
            const size_t at = std::mismatch(whole.begin(), whole.end(), flipped.begin()).first - whole.begin();
            const PictureResult r = ReadPictureFile(WriteFileBytes(path, flipped));
            const auto where = ::testing::Message() << name << ", bit flipped at byte " << at;
            if (!r.ok) {
                ++refused;
                EXPECT_TRUE(r.image.px.empty()) << where;
                ASSERT_EQ(r.messages.size(), 1u) << where;
                EXPECT_EQ(r.messages[0].text, "Error reading JPEG file!") << where;
                return;
            }
            EXPECT_EQ(r.image.px.size(), size_t(r.image.width) * r.image.height) << where;
            if (at > scan) {
                EXPECT_EQ(std::make_pair(r.image.width, r.image.height), std::make_pair(good.image.width, good.image.height)) << where;
            }
        });
        EXPECT_LT(refused, 300) << name << ": no damaged copy decoded";
    }
}

}  // namespace
