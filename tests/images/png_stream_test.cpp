// PNG read a band of rows at a time and written from blocks deflated on every core: every
// colour type and bit depth, plain and interlaced, against Pillow's reading
// (tests/data/make_png.sh); cut and damaged files refused with libpng's reason; the writer's
// files read back by libpng, warnings taken as errors, and by Pillow.
#include "image_test_util.h"
#include "images/jpeg_loader.h"
#include "images/png_rows.h"
#include "images/tiff_rows.h"
#include "images/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
const std::string kUnread = "The picture could not be read: ";

TEST(PngStream, EveryColourTypeAndDepthReadsAsPillowReadsIt) {
    int files = 0;
    for (const auto& e : fs::directory_iterator(kDataDir + "png")) {
        const std::string path = e.path().string(), name = e.path().filename().string();
        if (e.path().extension() != ".png") continue;
        ++files;
        const Bytes file = ReadFileBytes(path);
        ExpectPillowsPicture(ReadPngBytes(file.data(), file.size()), path, path);  // the whole-picture reader
        for (int step : {1, 4, 64}) {
            PngRows png;
            PictureResult r;
            r.ok = png.open(path) && ReadPictureRows(png, step, r.image) && (step != 4 || (png.rewind() && ReadPictureRows(png, 3, r.image)));
            EXPECT_EQ(png.storedGrey(), name[1] == '0' || name[1] == '4') << path;
            ExpectPillowsPicture(r, path, path + " by " + std::to_string(step));
        }
    }
    EXPECT_EQ(files, 32);
}

// A file cut anywhere before its last chunk, or with bits flipped, is refused with libpng's
// reason (or reads, for a flip libpng lets by), never past the end of its bytes; JPEG and TIFF
// files by scanlines the same with their libraries' reasons.
template <class Rows> bool Refused(const Bytes& bad, bool cut, const std::string& cutReason) {
    Rows rows;
    Image32 img;
    if (rows.open(bad.data(), bad.size()) && ReadPictureRows(rows, 4, img)) return !cut;
    const std::string why = rows.failure().messages.at(0).text;
    return why.rfind(kUnread, 0) == 0 && (!cut || bad.size() < 100 || cutReason.empty() || why == kUnread + cutReason + ".");
}
TEST(PngStream, CutAndDamagedFilesAreRefusedWithTheReadersReason) {
    const std::string everyday = kDataDir + "everyday/";
    const std::tuple<std::string, std::string, bool (*)(const Bytes&, bool, const std::string&)> files[] = {
        {"png/c2_8.png", "the file ends inside the picture", Refused<PngRows>},
        {"png/c0_16_i.png", "the file ends inside the picture", Refused<PngRows>},
        {"png/c3_4.png", "the file ends inside the picture", Refused<PngRows>},
        {"png/c6_16_i.png", "the file ends inside the picture", Refused<PngRows>},
        {"everyday/photo.jpeg", "", Refused<JpegFileRows>},
        {"everyday/photo.jpe", "", Refused<JpegFileRows>},
        {"everyday/rgb.tif", "", Refused<TiffRows>},
        {"everyday/grey16.tiff", "", Refused<TiffRows>},
    };
    for (const auto& [name, cutReason, refused] : files) {
        const Bytes whole = ReadFileBytes(kDataDir + name);
        const size_t last = name.back() == 'g' ? whole.size() - 12 : whole.size() - 2;  // PNG's IEND, JPEG's EOI
        for (size_t n : CutLengths(last, 60, 7)) EXPECT_TRUE(refused(Cut(whole, n), true, cutReason)) << name << n;
        ForEachCorruption(whole, 200, 3, 25, [&](const Bytes& bad) { EXPECT_TRUE(refused(bad, false, cutReason)) << name; });
    }
}

// libpng's reading of a PNG file with every warning an error and the file read to its end:
// the stored rows, or the error's text.
struct StrictRead {
    std::string error;
    Bytes pixels;
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0;
};
bool Decode(png_structp png, png_infop info, FILE* f, StrictRead& r, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, f), png_set_benign_errors(png, 0);
    png_read_info(png, info);
    png_get_IHDR(png, info, &r.width, &r.height, &r.depth, &r.colour, nullptr, nullptr, nullptr);
    r.pixels.resize(png_get_rowbytes(png, info) * r.height);
    for (png_uint_32 y = 0; y < r.height; ++y) rows.push_back(r.pixels.data() + y * png_get_rowbytes(png, info));
    png_read_image(png, rows.data()), png_read_end(png, nullptr);
    return true;
}
StrictRead ReadStrictly(const std::string& path) {
    StrictRead r;
    FILE* f = std::fopen(path.c_str(), "rb");
    const auto fail = [](png_structp png, png_const_charp text) {
        static_cast<StrictRead*>(png_get_error_ptr(png))->error = text;
        png_longjmp(png, 1);
    };
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, fail, fail);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (!Decode(png, info, f, r, rows)) r.pixels.clear();
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return r;
}

TEST(PngStream, WrittenFilesReadBackByLibpngAndPillowPixelForPixel) {
    const TempDir tmp("orvalis_png_writer");
    const std::string path = tmp / "out.png";
    // Several bands of 1 MiB blocks; one row a block; one row.
    const struct { int width, height; PngPixels pixels; int bytes; } cases[] = {{1000, 1500, PngPixels::Rgb24, 3}, {1000, 1500, PngPixels::Bgr24, 3},
                 {3000, 4000, PngPixels::Grey16, 2}, {700000, 2, PngPixels::Rgb24, 3}, {5, 1, PngPixels::Grey16, 2}};
    for (const auto& c : cases) {
        // Byte k of pixel (x, y) in the file; a BGR filler gives it in turn.
        const auto value = [&](int x, int y, int k) { return uint8_t((x * 7 + y * 13 + k * 101 + (x * y >> 3)) % 251); };
        const bool turned = c.pixels == PngPixels::Bgr24;
        ASSERT_TRUE(WritePngBlocks(path, c.width, c.height, c.pixels, [&](int first, int count, uint8_t* rows, size_t stride) {
            for (int r = 0; r < count; ++r)
                for (int x = 0, k = 0; x < c.width; ++x)
                    for (k = 0; k < c.bytes; ++k)
                        rows[size_t(r) * stride + size_t(x * c.bytes + k)] = value(x, first + r, turned ? 2 - k : k);
            return true;
        })) << c.width;
        const StrictRead back = ReadStrictly(path);
        ASSERT_EQ(back.error, "") << c.width;
        ASSERT_EQ(std::make_tuple(int(back.width), int(back.height), back.depth, back.colour),
                  std::make_tuple(c.width, c.height, c.bytes == 3 ? 8 : 16, c.bytes == 3 ? 2 : 0));
        size_t wrong = 0, i = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                for (int k = 0; k < c.bytes; ++k) wrong += back.pixels[i++] != value(x, y, k);
        EXPECT_EQ(wrong, 0u) << c.width;
        // Pillow: its checksum of the decoded bytes equals one of the bytes libpng read.
        const std::string cmd = "/usr/bin/python3 -c \"import sys, zlib; from PIL import Image; im = Image.open(sys.argv[1]); "
                                "print(im.mode, zlib.crc32(im.tobytes('raw', 'I;16B') if im.mode == 'I' else im.tobytes()))\" " + path;
        EXPECT_EQ(Output(cmd), (c.bytes == 3 ? "RGB " : "I ") + std::to_string(crc32(0, back.pixels.data(), uInt(i))) + "\n");
    }
    // A filler that fails stops the writing: no file, the older one whole, no temporary left.
    WriteFileBytes(tmp / "old.png", {1, 2, 3});
    EXPECT_FALSE(WritePngBlocks(tmp / "old.png", 3000, 3000, PngPixels::Rgb24,
                                [](int first, int, uint8_t*, size_t) { return first < 1000; }));
    EXPECT_EQ(ReadFileBytes(tmp / "old.png"), (Bytes{1, 2, 3}));
    for (const auto& e : fs::directory_iterator(tmp.path)) EXPECT_NE(e.path().filename().string()[0], '.');
}

}  // namespace
