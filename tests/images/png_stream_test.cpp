// PNG read a band of rows at a time and written from blocks deflated on every core: every
// colour type and bit depth, plain and interlaced, against Pillow's reading
// (tests/data/make_png.sh); cut and damaged files refused with libpng's reason; the writer's
// files read back by libpng, warnings taken as errors, and by Pillow.
#include "image_test_util.h"
#include "images/png_rows.h"
#include "images/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <csetjmp>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Every row of a PngRows, `step` at a time, as a display picture (16-bit grey: its high bytes,
// the values beside it); false with the refusal's text in `why` when a read fails.
bool ReadAll(PngRows& png, int step, Image32& img, std::string& why) {
    img = Image32(png.width(), png.height());
    if (png.wideGrey()) img.grey16.resize(img.px.size());
    RowBlock block;
    for (int y = 0; y < png.height(); y += step) {
        const int n = std::min(step, png.height() - y);
        if (!png.next(n, block)) return why = png.failure().messages.at(0).text, false;
        for (int r = 0; r < n; ++r)
            for (int x = 0; x < png.width(); ++x) {
                const uint8_t* p = block.bottomRow + ptrdiff_t(n - 1 - r) * block.rowStep + x * (png.bpp() / 8);
                const size_t i = size_t(y + r) * size_t(img.width) + size_t(x);
                if (png.wideGrey()) img.grey16[i] = uint16_t(p[0] << 8 | p[1]);
                img.px[i] = png.bpp() == 24 ? uint32_t(p[2] << 16 | p[1] << 8 | p[0]) : p[0] * 0x010101u;
            }
    }
    return true;
}

TEST(PngStream, EveryColourTypeAndDepthReadsAsPillowReadsIt) {
    int files = 0;
    for (const auto& e : fs::directory_iterator(kDataDir + "png")) {
        const std::string path = e.path().string();
        if (e.path().extension() != ".png") continue;
        ++files;
        const Image32 ref = ReadPpm(path + ".ppm");
        const Bytes g16 = ReadFileBytes(path + ".g16"), file = ReadFileBytes(path);
        ExpectPillowsPicture(ReadPngBytes(file.data(), file.size()), path, path);  // the whole-picture reader
        for (int step : {1, 4, 64}) {
            PngRows png;
            Image32 got;
            std::string why;
            ASSERT_TRUE(png.open(path) && ReadAll(png, step, got, why)) << path << why;
            EXPECT_EQ(png.storedGrey(), e.path().filename().string().rfind("c0", 0) == 0 ||
                                            e.path().filename().string().rfind("c4", 0) == 0) << path;
            EXPECT_TRUE(got.px == ref.px) << path << " by " << step;
            EXPECT_EQ(got.grey16.size() * 2, g16.size()) << path;
            EXPECT_TRUE(std::equal(got.grey16.begin(), got.grey16.end(), reinterpret_cast<const uint16_t*>(g16.data())) ||
                        g16.empty()) << path;
        }
        // Read a second time from the top.
        PngRows png;
        Image32 first, again;
        std::string why;
        ASSERT_TRUE(png.open(path) && ReadAll(png, 3, first, why) && png.rewind() && ReadAll(png, 5, again, why));
        EXPECT_TRUE(first.px == again.px) << path;
    }
    EXPECT_EQ(files, 32);
}

// A file cut anywhere before its last chunk, or with bits flipped, is refused with libpng's
// reason (or reads, for a flip libpng lets by), never past the end of its bytes.
TEST(PngStream, CutAndDamagedFilesAreRefusedWithTheReadersReason) {
    for (const char* name : {"c2_8.png", "c0_16_i.png", "c3_4.png", "c6_16_i.png"}) {
        const Bytes whole = ReadFileBytes(kDataDir + "png/" + name);
        for (size_t n : CutLengths(whole.size() - 12, 60, 7)) {
            const Bytes cut = Cut(whole, n);
            PngRows png;
            Image32 img;
            std::string why;
            const bool opened = png.open(cut.data(), cut.size());
            if (opened) {
                EXPECT_FALSE(ReadAll(png, 4, img, why)) << name << " cut at " << n;
            }
            why = png.failure().messages.at(0).text;
            EXPECT_EQ(why.rfind("The picture could not be read: ", 0), 0u) << why;
            if (n > 100) {
                EXPECT_EQ(why, "The picture could not be read: the file ends inside the picture.") << n;
            }
        }
        ForEachCorruption(whole, 200, 3, 25, [&](const Bytes& bad) {
            PngRows png;
            Image32 img;
            std::string why;
            if (png.open(bad.data(), bad.size()) && ReadAll(png, 4, img, why)) return;
            EXPECT_EQ(png.failure().messages.at(0).text.rfind("The picture could not be read: ", 0), 0u);
        });
    }
}

// libpng's reading of a PNG file with every warning an error, and the file's end checked.
struct StrictRead {
    char error[200] = "";
    std::vector<uint8_t> pixels;  // top row first, as stored
    int width = 0, height = 0, depth = 0, colour = 0;
};
[[noreturn]] void StrictFail(png_structp png, png_const_charp text) {
    std::snprintf(static_cast<StrictRead*>(png_get_error_ptr(png))->error, sizeof StrictRead::error, "%s", text);
    png_longjmp(png, 1);
}
bool StrictDecode(png_structp png, png_infop info, png_infop end, FILE* f, StrictRead& r, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, f);
    png_set_benign_errors(png, 0);
    png_read_info(png, info);
    r.width = int(png_get_image_width(png, info));
    r.height = int(png_get_image_height(png, info));
    r.depth = png_get_bit_depth(png, info);
    r.colour = png_get_color_type(png, info);
    const size_t stride = png_get_rowbytes(png, info);
    r.pixels.resize(stride * size_t(r.height));
    rows.resize(size_t(r.height));
    for (int y = 0; y < r.height; ++y) rows[size_t(y)] = r.pixels.data() + size_t(y) * stride;
    png_read_image(png, rows.data());
    png_read_end(png, end);
    return true;
}
StrictRead ReadStrictly(const std::string& path) {
    StrictRead r;
    FILE* f = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, StrictFail, StrictFail);
    png_infop info = png_create_info_struct(png), end = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (!f || !StrictDecode(png, info, end, f, r, rows)) r.pixels.clear();
    png_destroy_read_struct(&png, &info, &end);
    if (f) std::fclose(f);
    return r;
}

TEST(PngStream, WrittenFilesReadBackByLibpngAndPillowPixelForPixel) {
    const TempDir tmp("orvalis_png_writer");
    // Several bands of 1 MiB blocks; one row a block; one row.
    const struct {
        int width, height;
        PngPixels pixels;
    } cases[] = {{1000, 1500, PngPixels::Rgb24}, {3000, 4000, PngPixels::Grey16}, {700000, 2, PngPixels::Rgb24},
                 {5, 1, PngPixels::Grey16}};
    for (const auto& c : cases) {
        const int bytes = c.pixels == PngPixels::Rgb24 ? 3 : 2;
        const auto value = [&](int x, int y, int k) { return uint8_t((x * 7 + y * 13 + k * 101 + (x * y >> 3)) % 251); };
        const std::string path = tmp / "out.png";
        ASSERT_TRUE(WritePngBlocks(path, c.width, c.height, c.pixels, [&](int first, int count, uint8_t* rows, size_t stride) {
            for (int r = 0; r < count; ++r)
                for (int x = 0; x < c.width; ++x)
                    for (int k = 0; k < bytes; ++k) rows[size_t(r) * stride + size_t(x * bytes + k)] = value(x, first + r, k);
            return true;
        })) << c.width;
        const StrictRead back = ReadStrictly(path);
        ASSERT_EQ(back.error, std::string()) << c.width;
        ASSERT_EQ(std::make_pair(back.width, back.height), std::make_pair(c.width, c.height));
        EXPECT_EQ(std::make_pair(back.depth, back.colour), c.pixels == PngPixels::Rgb24 ? std::make_pair(8, 2) : std::make_pair(16, 0));
        size_t wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                for (int k = 0; k < bytes; ++k)
                    wrong += back.pixels[(size_t(y) * size_t(c.width) + size_t(x)) * size_t(bytes) + size_t(k)] !=
                             value(x, y, k);
        EXPECT_EQ(wrong, 0u) << c.width;
        // Pillow: its own checksum of the decoded bytes equals one of the same bytes made here.
        const std::string cmd = "/usr/bin/python3 -c \"import sys, zlib; from PIL import Image; im = Image.open(sys.argv[1]); "
                                "im.load(); print(im.mode, zlib.crc32(im.tobytes('raw', 'I;16B') if im.mode.startswith('I') "
                                "else im.tobytes()))\" " + path;
        FILE* p = popen(cmd.c_str(), "r");
        char line[200] = "";
        ASSERT_TRUE(p && std::fgets(line, sizeof line, p));
        pclose(p);
        const std::string mode = c.pixels == PngPixels::Rgb24 ? "RGB" : "I";
        EXPECT_EQ(std::string(line), mode + " " + std::to_string(crc32(0, back.pixels.data(), uInt(back.pixels.size()))) + "\n");
    }
    // A filler that fails stops the writing: no file, the older one whole, no temporary left.
    WriteFileBytes(tmp / "old.png", {1, 2, 3});
    EXPECT_FALSE(WritePngBlocks(tmp / "old.png", 3000, 3000, PngPixels::Rgb24,
                                [](int first, int, uint8_t*, size_t) { return first < 1000; }));
    EXPECT_EQ(ReadFileBytes(tmp / "old.png"), (Bytes{1, 2, 3}));
    for (const auto& e : fs::directory_iterator(tmp.path)) EXPECT_NE(e.path().filename().string()[0], '.');
}

}  // namespace
