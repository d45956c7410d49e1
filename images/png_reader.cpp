// PNG files through libpng's row interface. No transform that changes a stored colour: a
// transparent colour or an alpha channel is dropped, 16-bit colour keeps its high byte
// (as Pillow does) and 16-bit grey is kept whole beside the display picture.
#include "images/picture_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// What the decoding step leaves for the caller; every C++ object lives here, outside the
// frame that libpng's error jumps return to.
struct Decode {
    const uint8_t* data = nullptr;
    size_t size = 0, pos = 0;
    char error[160] = "";
    png_uint_32 width = 0, height = 0;
    int depth = 0, channels = 0;
    bool tooLarge = false;
    std::unique_ptr<uint8_t[]> rows;
    std::unique_ptr<png_bytep[]> rowPointers;
    size_t rowBytes = 0;
};

void ReadBytes(png_structp png, png_bytep out, size_t n) {
    auto* d = static_cast<Decode*>(png_get_io_ptr(png));
    if (n > d->size - d->pos) png_error(png, "the file ends inside the picture");
    std::memcpy(out, d->data + d->pos, n);
    d->pos += n;
}

[[noreturn]] void OnError(png_structp png, png_const_charp text) {
    std::snprintf(static_cast<Decode*>(png_get_error_ptr(png))->error, sizeof Decode::error, "%s", text);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}  // a warning never stops the picture

// Rows to 8 bits a channel (16-bit grey excepted), palettes to RGB; false on libpng's error.
bool DecodeRows(png_structp png, png_infop info, Decode& d) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &d, ReadBytes);
    png_read_info(png, info);
    d.width = png_get_image_width(png, info);
    d.height = png_get_image_height(png, info);
    if (PictureTooLarge(d.width, d.height)) return d.tooLarge = true, false;
    // Deflate makes at most 1032 bytes of one: a file too short for its stored rows is refused
    // before they are allocated.
    const uint64_t bits = uint64_t(png_get_bit_depth(png, info)) * png_get_channels(png, info) * d.width;
    if ((bits + 7) / 8 * d.height > uint64_t(d.size) * 1032) png_error(png, "the file ends inside the picture");
    const int colour = png_get_color_type(png, info);
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    if ((colour & PNG_COLOR_MASK_COLOR) && png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    d.depth = png_get_bit_depth(png, info);
    d.channels = png_get_channels(png, info);
    d.rowBytes = png_get_rowbytes(png, info);
    d.rows.reset(new uint8_t[d.rowBytes * d.height]);
    d.rowPointers.reset(new png_bytep[d.height]);
    for (png_uint_32 y = 0; y < d.height; ++y) d.rowPointers[y] = d.rows.get() + y * d.rowBytes;
    png_read_image(png, d.rowPointers.get());
    return true;
}

Image32 ToImage(const Decode& d) {
    Image32 img(int(d.width), int(d.height));
    const bool grey16 = d.depth == 16;  // colour was cut to 8 bits above
    if (grey16) img.grey16.resize(img.px.size());
    const int step = d.channels * d.depth / 8;
    for (size_t y = 0; y < d.height; ++y) {
        const uint8_t* p = d.rowPointers[y];
        for (size_t x = 0; x < d.width; ++x, p += step) {
            const size_t i = y * d.width + x;
            if (grey16) img.grey16[i] = uint16_t(p[0] << 8 | p[1]);
            const uint32_t r = p[0], g = d.channels >= 3 ? p[1] : r, b = d.channels >= 3 ? p[2] : r;
            img.px[i] = r << 16 | g << 8 | b;
        }
    }
    return img;
}

}  // namespace

PictureResult ReadPngBytes(const uint8_t* data, size_t size) {
    Decode d;
    d.data = data;
    d.size = size;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return RefusePicture("Not enough memory for the picture!");
    }
    struct Release {
        png_structp& png;
        png_infop& info;
        ~Release() { png_destroy_read_struct(&png, &info, nullptr); }
    } release{png, info};
    try {
        if (!DecodeRows(png, info, d)) {
            if (d.tooLarge) return RefuseTooLarge(d.width, d.height);
            return RefusePicture(std::string("The picture could not be read: ") + d.error + ".");
        }
        PictureResult r;
        r.image = ToImage(d);
        r.ok = true;
        return r;
    } catch (const std::bad_alloc&) {
        return RefusePicture(NotEnoughMemoryFor(int(d.width), int(d.height)));
    }
}
