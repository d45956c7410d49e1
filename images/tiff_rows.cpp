#include "images/tiff_rows.h"

#include "platform/whole_file.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

struct TiffRows::Decoder {
    TIFF* tif = nullptr;
    // Where the bytes come from: memory, or the file.
    const uint8_t* data = nullptr;
    uint64_t size = 0, pos = 0;
    FileParts file;
    char error[200] = "";
    bool noMemory = false;
    int bits = 8, samples = 1;
    std::vector<uint8_t> line;  // one scanline as stored
    ~Decoder() {
        if (tif) TIFFClose(tif);
    }
};

namespace {

using Decoder = TiffRows::Decoder;

tmsize_t ReadProc(thandle_t h, void* out, tmsize_t n) {
    auto* d = static_cast<Decoder*>(h);
    if (n < 0) return -1;
    const size_t k = size_t(std::min<uint64_t>(uint64_t(n), d->size - std::min(d->pos, d->size)));
    if (k == 0) return 0;
    if (d->data)
        std::memcpy(out, d->data + d->pos, k);
    else if (!d->file.read(static_cast<uint8_t*>(out), k, d->pos))
        return -1;
    d->pos += k;
    return tmsize_t(k);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto* d = static_cast<Decoder*>(h);
    const uint64_t base = whence == SEEK_CUR ? d->pos : whence == SEEK_END ? d->size : 0;
    d->pos = base + off;
    return d->pos;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<Decoder*>(h)->size; }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// libtiff's reasons go to the file's decoder, never to the standard error.
int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* d = static_cast<Decoder*>(user);
    std::vsnprintf(d->error, sizeof d->error, format, args);
    return 1;
}
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

TiffRows::TiffRows() = default;
TiffRows::~TiffRows() = default;

bool TiffRows::start() {
    d_.reset(new (std::nothrow) Decoder);
    row_ = 0;
    if (!d_) return false;
    Decoder& d = *d_;
    if (data_) {
        d.data = data_;
        d.size = size_;
    } else {
        const WholeFile opened = d.file.open(path_);
        if (!opened) return std::snprintf(d.error, sizeof d.error, "%s", std::strerror(opened.error)), false;
        d.size = d.file.size();
    }
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return d.noMemory = true, false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &d);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &d);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(256) << 20);
    d.tif = TIFFClientOpenExt("depth", "rm", &d, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc, UnmapProc,
                              options);
    TIFFOpenOptionsFree(options);
    if (!d.tif) return false;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, format = 0, orientation = 0, extra = 0;
    uint16_t* extraKinds = nullptr;
    if (!TIFFGetField(d.tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(d.tif, TIFFTAG_IMAGELENGTH, &h) ||
        !TIFFGetField(d.tif, TIFFTAG_PHOTOMETRIC, &photometric))
        return false;
    TIFFGetFieldDefaulted(d.tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(d.tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(d.tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(d.tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(d.tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(d.tif, TIFFTAG_EXTRASAMPLES, &extra, &extraKinds);
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK && samples == 1;
    const bool rgb = photometric == PHOTOMETRIC_RGB && samples == 3;
    if (w == 0 || h == 0 || PictureTooLarge(w, h) || TIFFIsTiled(d.tif) || !(grey || rgb) || extra != 0 ||
        (bits != 8 && bits != 16) || planar != PLANARCONFIG_CONTIG || format != SAMPLEFORMAT_UINT ||
        orientation != ORIENTATION_TOPLEFT || TIFFScanlineSize64(d.tif) != uint64_t(w) * samples * (bits / 8))
        return false;
    d.bits = bits;
    d.samples = samples;
    try {
        d.line.resize(size_t(TIFFScanlineSize64(d.tif)));
    } catch (const std::bad_alloc&) {
        return d.noMemory = true, false;
    }
    width_ = int(w);
    height_ = int(h);
    storedGrey_ = grey;
    wide_ = grey && bits == 16;
    return true;
}

bool TiffRows::next(int count, RowBlock& block) {
    if (!d_ || !d_->tif || d_->line.empty() || count <= 0 || count > height_ - row_) return false;
    Decoder& d = *d_;
    const size_t rowBytes = size_t(width_) * size_t(bpp() / 8), bytes = rowBytes * size_t(count);
    if (bytes > block.capacity) {
        block.bytes.reset(new (std::nothrow) uint8_t[bytes]);
        block.capacity = block.bytes ? bytes : 0;
        if (!block.bytes) return d.noMemory = true, false;
    }
    for (int r = 0; r < count; ++r) {
        if (TIFFReadScanline(d.tif, d.line.data(), uint32_t(row_ + r), 0) < 0) {
            if (!d.error[0]) std::snprintf(d.error, sizeof d.error, "the file ends inside the picture");
            return false;
        }
        uint8_t* out = block.bytes.get() + size_t(r) * rowBytes;
        const uint8_t* in = d.line.data();
        const size_t n = size_t(width_) * size_t(d.samples);
        if (d.bits == 8 && d.samples == 1) {
            std::memcpy(out, in, n);
        } else if (d.bits == 16 && d.samples == 1) {
            // Host order (little-endian) to high byte first.
            for (size_t i = 0; i < n; ++i) out[2 * i] = in[2 * i + 1], out[2 * i + 1] = in[2 * i];
        } else {
            // Red, green, blue to blue, green, red; of 16-bit samples, the high bytes.
            const size_t step = size_t(d.bits / 8), high = step - 1;
            for (size_t x = 0; x < size_t(width_); ++x, out += 3, in += 3 * step) {
                out[0] = in[2 * step + high];
                out[1] = in[step + high];
                out[2] = in[high];
            }
        }
    }
    block.bottomRow = block.bytes.get() + size_t(count - 1) * rowBytes;
    block.rowStep = -ptrdiff_t(rowBytes);
    row_ += count;
    return true;
}

PictureResult TiffRows::failure() const {
    if (!d_ || d_->noMemory) return RefusePicture(NotEnoughMemoryFor(width_, height_));
    return RefusePicture(std::string("The picture could not be read: ") + (d_->error[0] ? d_->error : "damaged file") + ".");
}
