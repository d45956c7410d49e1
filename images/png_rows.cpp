// libpng's row interface with the transforms of ReadPngBytes, a row at a time. libpng's
// errors jump back to the frame of setjmp: the functions that hold it own no C++ object.
#include "images/png_rows.h"

#include "platform/whole_file.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

struct PngRows::Decoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    // Where the bytes come from: memory, or the file a buffer at a time.
    const uint8_t* data = nullptr;
    size_t size = 0, pos = 0;
    FileParts file;
    uint8_t buffer[65536];
    size_t held = 0, used = 0;
    uint64_t filePos = 0;
    char error[160] = "";
    bool tooLarge = false, noMemory = false;
    png_uint_32 width = 0, height = 0;
    size_t rowBytes = 0;
    int passes = 1;
    uint8_t* whole = nullptr;  // an interlaced picture, decoded at the first read
    ~Decoder() {
        std::free(whole);
        png_destroy_read_struct(&png, &info, nullptr);
    }
};

namespace {

using Decoder = PngRows::Decoder;

void ReadBytes(png_structp png, png_bytep out, size_t n) {
    auto* d = static_cast<Decoder*>(png_get_io_ptr(png));
    if (d->data) {
        if (n > d->size - d->pos) png_error(png, "the file ends inside the picture");
        std::memcpy(out, d->data + d->pos, n);
        d->pos += n;
        return;
    }
    while (n > 0) {
        if (d->used == d->held) {
            const size_t want = size_t(std::min<uint64_t>(sizeof d->buffer, d->file.size() - d->filePos));
            if (want == 0 || !d->file.read(d->buffer, want, d->filePos)) png_error(png, "the file ends inside the picture");
            d->filePos += want;
            d->held = want;
            d->used = 0;
        }
        const size_t k = std::min(n, d->held - d->used);
        std::memcpy(out, d->buffer + d->used, k);
        d->used += k, out += k, n -= k;
    }
}

[[noreturn]] void OnError(png_structp png, png_const_charp text) {
    std::snprintf(static_cast<Decoder*>(png_get_error_ptr(png))->error, sizeof Decoder::error, "%s", text);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}  // a warning never stops the picture

// The header and the transforms: 8-bit blue, green, red rows, 8-bit grey, or 16-bit grey kept
// whole.
bool ReadHeader(Decoder& d, uint64_t fileSize, bool& wide, bool& grey) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_read_info(d.png, d.info);
    d.width = png_get_image_width(d.png, d.info);
    d.height = png_get_image_height(d.png, d.info);
    if (PictureTooLarge(d.width, d.height)) return d.tooLarge = true, false;
    const int colour = png_get_color_type(d.png, d.info), depth = png_get_bit_depth(d.png, d.info);
    // Deflate makes at most 1032 bytes of one: a file too short for its stored rows is refused
    // before anything is allocated.
    const uint64_t bits = uint64_t(depth) * png_get_channels(d.png, d.info) * d.width;
    if ((bits + 7) / 8 * d.height > fileSize * 1032) png_error(d.png, "the file ends inside the picture");
    grey = !(colour & PNG_COLOR_MASK_COLOR);
    wide = grey && depth == 16;
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(d.png);
    if (grey && depth < 8) png_set_expand_gray_1_2_4_to_8(d.png);
    if (!grey && depth == 16) png_set_strip_16(d.png);
    png_set_strip_alpha(d.png);
    png_set_bgr(d.png);
    d.passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    d.rowBytes = png_get_rowbytes(d.png, d.info);
    if (d.rowBytes != size_t(d.width) * (wide ? 2 : grey ? 1 : 3)) png_error(d.png, "unexpected row size");
    return true;
}

// Rows `count` on into `out`, rowBytes apart; an interlaced picture is decoded whole first.
bool ReadRows(Decoder& d, uint8_t* out, int count) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    if (d.passes > 1 && !d.whole) {
        d.whole = static_cast<uint8_t*>(std::malloc(d.rowBytes * d.height));
        if (!d.whole) return d.noMemory = true, false;
        for (int pass = 0; pass < d.passes; ++pass)
            for (png_uint_32 y = 0; y < d.height; ++y) png_read_row(d.png, d.whole + y * d.rowBytes, nullptr);
    }
    for (int r = 0; r < count && !d.whole; ++r) png_read_row(d.png, out + size_t(r) * d.rowBytes, nullptr);
    return true;
}

}  // namespace

PngRows::PngRows() = default;
PngRows::~PngRows() = default;

bool PngRows::start() {
    d_.reset(new (std::nothrow) Decoder);
    row_ = 0;
    if (!d_) return false;
    Decoder& d = *d_;
    uint64_t size = size_;
    if (data_) {
        d.data = data_;
        d.size = size_;
    } else {
        const WholeFile opened = d.file.open(path_);
        if (!opened) return std::snprintf(d.error, sizeof d.error, "%s", std::strerror(opened.error)), false;
        size = d.file.size();
    }
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, OnError, OnWarning);
    d.info = d.png ? png_create_info_struct(d.png) : nullptr;
    if (!d.info) return d.noMemory = true, false;
    png_set_read_fn(d.png, &d, ReadBytes);
    if (!ReadHeader(d, size, wide_, storedGrey_)) return false;
    width_ = int(d.width);
    height_ = int(d.height);
    return true;
}

bool PngRows::next(int count, RowBlock& block) {
    if (!d_ || !d_->png || count <= 0 || count > height_ - row_) return false;
    Decoder& d = *d_;
    const size_t bytes = d.rowBytes * size_t(count);
    if (!d.whole && d.passes == 1 && bytes > block.capacity) {
        block.bytes.reset(new (std::nothrow) uint8_t[bytes]);
        block.capacity = block.bytes ? bytes : 0;
        if (!block.bytes) return d.noMemory = true, false;
    }
    if (!ReadRows(d, block.bytes.get(), count)) return false;
    const uint8_t* top = d.whole ? d.whole + size_t(row_) * d.rowBytes : block.bytes.get();
    block.bottomRow = top + size_t(count - 1) * d.rowBytes;
    block.rowStep = -ptrdiff_t(d.rowBytes);
    row_ += count;
    return true;
}

PictureResult PngRows::failure() const {
    if (!d_ || d_->noMemory) return RefusePicture(NotEnoughMemoryFor(width_, height_));
    if (d_->tooLarge) return RefuseTooLarge(d_->width, d_->height);
    return RefusePicture(std::string("The picture could not be read: ") + d_->error + ".");
}
