#include "images/jpeg_loader.h"

#include "images/bmp_writer.h"
#include "images/dib.h"
#include "images/picture_file.h"
#include "platform/parallel.h"
#include "platform/whole_file.h"

#include <algorithm>
#include <csetjmp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Rows asked of the library per call, and so per hand-over to the caller.
constexpr int kBatch = 16;

struct ErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX] = "";  // the library's reason
};

[[noreturn]] void error_exit(j_common_ptr cinfo) {
    ErrorMgr* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
    err->pub.format_message(cinfo, err->text);
    std::longjmp(err->jump, 1);
}

// The library carries on after a warning, filling what it could not read; a picture made
// that way is never shown. Only warnings that lose no picture data are let through.
void emit_message(j_common_ptr cinfo, int msg_level) {
    if (msg_level >= 0) return;  // trace messages
    switch (cinfo->err->msg_code) {
    case JWRN_EXTRANEOUS_DATA:  // junk bytes skipped between markers
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC:
        return;
    default:
        error_exit(cinfo);
    }
}

// Adobe files store CMYK inverted (0 is full ink); others store it plainly.
void cmyk_row_to_bgr(const uint8_t* in, uint8_t* out, int width, int bytes, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4, out += bytes) {
        const unsigned c = inverted ? in[0] : 255u - in[0];
        const unsigned m = inverted ? in[1] : 255u - in[1];
        const unsigned y = inverted ? in[2] : 255u - in[2];
        const unsigned k = inverted ? in[3] : 255u - in[3];
        out[0] = uint8_t((y * k + 127) / 255);
        out[1] = uint8_t((m * k + 127) / 255);
        out[2] = uint8_t((c * k + 127) / 255);
    }
}

// The part of DecodeJpeg that the library may leave by longjmp; it owns no C++ objects but
// the caller's buffers.
int decode(jpeg_decompress_struct* cinfo, const uint8_t* data, size_t size, const JpegRows& out,
           std::unique_ptr<uint8_t[]>* cmyk) {
    ErrorMgr* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
    if (setjmp(err->jump)) return 0;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    const bool is_cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = is_cmyk ? JCS_CMYK : out.bytes == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    const uint64_t w = cinfo->image_width, h = cinfo->image_height;
    if (w == 0 || h == 0 || w * h > kJpegMaxPixels) return 0;
    if (!out.start(int(w), int(h))) return 0;
    if (is_cmyk) {
        cmyk->reset(new (std::nothrow) uint8_t[size_t(4 * w) * kBatch]);
        if (!*cmyk) return 0;
    }
    jpeg_start_decompress(cinfo);
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height) {
        const int first = int(cinfo->output_scanline);
        const int want = std::min<int>(kBatch, int(cinfo->output_height) - first);
        JSAMPROW rows[kBatch];
        for (int k = 0; k < want; ++k) rows[k] = is_cmyk ? cmyk->get() + size_t(4 * w) * size_t(k) : out.row(first + k);
        int got = 0;
        while (got < want) {
            const int n = int(jpeg_read_scanlines(cinfo, rows + got, JDIMENSION(want - got)));
            if (n <= 0) return 0;
            got += n;
        }
        if (is_cmyk)
            for (int k = 0; k < want; ++k) cmyk_row_to_bgr(rows[k], out.row(first + k), int(w), out.bytes, inverted);
        if (out.done && !out.done(first, want)) return 0;
    }
    jpeg_finish_decompress(cinfo);
    return 1;
}

}  // namespace

int DecodeJpeg(const uint8_t* data, size_t size, const JpegRows& rows) {
    if (size == 0) return 0;
    jpeg_decompress_struct cinfo;
    ErrorMgr err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = error_exit;
    err.pub.emit_message = emit_message;
    jpeg_create_decompress(&cinfo);
    std::unique_ptr<uint8_t[]> cmyk;
    const int ok = decode(&cinfo, data, size, rows, &cmyk);
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

int LoadJPEG(const uint8_t* data, size_t size, tDIB* B) {
    *B = tDIB{};
    JpegRows rows;
    rows.start = [&](int w, int h) {
        B->x = w;
        B->y = h;
        B->l = int(DibStride(w, 24));
        try {
            B->b.assign(size_t(B->l) * size_t(h), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    };
    rows.row = [&](int y) { return B->b.data() + size_t(y) * size_t(B->l); };
    const int ok = DecodeJpeg(data, size, rows);
    if (!ok) *B = tDIB{};
    return ok;
}

int CreateDDBfromDIB(const tDIB& b, Image32* out) {
    if (b.x <= 0 || b.y <= 0 || b.l < 3 * b.x || b.b.size() / size_t(b.l) < size_t(b.y)) return 0;
    Image32 img;
    try {
        img = Image32(b.x, b.y);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (int y = 0; y < b.y; ++y) {
        const uint8_t* p = b.b.data() + size_t(y) * size_t(b.l);
        uint32_t* o = &img.px[size_t(y) * size_t(b.x)];
        for (int x = 0; x < b.x; ++x, p += 3) o[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    *out = std::move(img);
    return 1;
}

// The display picture is decoded in place, four bytes a pixel, without the 24-bit rows.
PictureResult ReadJpegBytes(const uint8_t* data, size_t size) {
    PictureResult r;
    Image32 img;
    JpegRows rows;
    rows.bytes = 4;
    rows.start = [&](int w, int h) {
        try {
            img = Image32(w, h);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    };
    rows.row = [&](int y) { return reinterpret_cast<uint8_t*>(&img.px[size_t(y) * size_t(img.width)]); };
    rows.done = [&](int first, int count) {
        uint32_t* p = &img.px[size_t(first) * size_t(img.width)];
        for (size_t i = 0, n = size_t(count) * size_t(img.width); i < n; ++i) p[i] &= 0x00FFFFFFu;
        return true;
    };
    if (!DecodeJpeg(data, size, rows)) return r;
    r.image = std::move(img);
    r.ok = true;
    return r;
}

// No message of its own: a file that cannot be read fails like one that cannot be decoded.
PictureResult LoadJpegFileCore(const std::string& path) {
    const WholeFile file = ReadWholeFile(path);
    if (!file) return {};
    return ReadJpegBytes(file.data(), file.size);
}

bool JpegFileToBmp24(const std::string& in, const std::string& out, bool& writeFailed) {
    writeFailed = false;
    const WholeFile data = ReadWholeFile(in);
    if (!data) return false;
    if (Bmp24File::WrittenInOrder(out)) {
        // A pipe or a device takes the rows in file order only: the whole picture first.
        PictureResult r = ReadJpegBytes(data.data(), data.size);
        if (!r.ok) return false;
        return WriteBmp24(out, r.image) || (writeFailed = true, false);
    }
    Bmp24File file;
    int height = 0, strip = 0, current = 0;
    // Two strips of rows, each kept in file order (bottom row first): one is written out
    // while the next is decoded.
    std::unique_ptr<uint8_t[]> strips[2];
    TaskGroup writer;
    JpegRows sink;
    sink.start = [&](int w, int h) {
        if (!file.open(out, w, h)) return writeFailed = true, false;
        height = h;
        // The library's batches of rows never straddle two strips.
        strip = int(std::max<size_t>((size_t(2) << 20) / file.stride() / kBatch, 1) * kBatch);
        const size_t pixels = size_t(w) * 3;
        for (auto& rows : strips) {
            rows.reset(new (std::nothrow) uint8_t[file.stride() * size_t(strip)]);
            if (!rows) return false;
            for (int r = 0; r < strip; ++r) std::memset(rows.get() + size_t(r) * file.stride() + pixels, 0, file.stride() - pixels);
        }
        return true;
    };
    sink.row = [&](int y) { return strips[current].get() + size_t(strip - 1 - y % strip) * file.stride(); };
    sink.done = [&](int first, int count) {
        const int end = first + count;
        if (end % strip != 0 && end != height) return true;
        const int n = end - (end - 1) / strip * strip;  // rows in this strip
        writer.wait();
        const uint8_t* rows = strips[current].get() + size_t(strip - n) * file.stride();
        writer.run([&file, rows, at = height - end, n] { file.write(at, n, rows); });
        current ^= 1;
        return true;
    };
    const bool decoded = DecodeJpeg(data.data(), data.size, sink);
    writer.wait();
    if (!decoded) return false;
    if (!file.close()) return writeFailed = true, false;
    return true;
}

struct JpegFileRows::Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorMgr err;
    bool created = false, unsupported = false, noMemory = false;
    std::FILE* file = nullptr;
    size_t rowBytes = 0;
    ~Decoder() {
        if (created) jpeg_destroy_decompress(&cinfo);
        if (file) std::fclose(file);
    }
};

namespace {

// The header, and the decoding started: grey or blue, green, red rows. The library may leave
// by longjmp: no C++ object is made here.
bool StartRows(JpegFileRows::Decoder& d, const uint8_t* data, size_t size, bool& grey) {
    if (setjmp(d.err.jump)) return false;
    if (d.file)
        jpeg_stdio_src(&d.cinfo, d.file);
    else
        jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    const J_COLOR_SPACE space = d.cinfo.jpeg_color_space;
    const uint64_t w = d.cinfo.image_width, h = d.cinfo.image_height;
    if (space == JCS_CMYK || space == JCS_YCCK || w == 0 || h == 0 || w * h > kJpegMaxPixels || PictureTooLarge(w, h))
        return d.unsupported = true, false;
    grey = space == JCS_GRAYSCALE;
    d.cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&d.cinfo);
    d.rowBytes = size_t(w) * (grey ? 1 : 3);
    if (d.cinfo.output_components != (grey ? 1 : 3)) return d.unsupported = true, false;
    return true;
}

// `count` rows into `out`, rowBytes apart; after the last, the rest of the file is checked.
bool ReadScanlines(JpegFileRows::Decoder& d, uint8_t* out, int count) {
    if (setjmp(d.err.jump)) return false;
    for (int got = 0; got < count;) {
        JSAMPROW rows[kBatch];
        const int want = std::min(kBatch, count - got);
        for (int k = 0; k < want; ++k) rows[k] = out + size_t(got + k) * d.rowBytes;
        const int n = int(jpeg_read_scanlines(&d.cinfo, rows, JDIMENSION(want)));
        if (n <= 0) return false;
        got += n;
    }
    if (d.cinfo.output_scanline == d.cinfo.output_height) jpeg_finish_decompress(&d.cinfo);
    return true;
}

}  // namespace

JpegFileRows::JpegFileRows() = default;
JpegFileRows::~JpegFileRows() = default;

bool JpegFileRows::start() {
    d_.reset(new (std::nothrow) Decoder);
    row_ = 0;
    if (!d_) return false;
    Decoder& d = *d_;
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = error_exit;
    d.err.pub.emit_message = emit_message;
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    if (!data_ && !(d.file = std::fopen(path_.c_str(), "rb")))
        return std::snprintf(d.err.text, sizeof d.err.text, "%s", std::strerror(errno)), false;
    if (data_ && size_ == 0) return std::snprintf(d.err.text, sizeof d.err.text, "the file is empty"), false;
    if (!StartRows(d, data_, size_, storedGrey_)) return false;
    width_ = int(d.cinfo.output_width);
    height_ = int(d.cinfo.output_height);
    wide_ = false;
    return true;
}

bool JpegFileRows::next(int count, RowBlock& block) {
    if (!d_ || d_->rowBytes == 0 || count <= 0 || count > height_ - row_) return false;
    Decoder& d = *d_;
    const size_t bytes = d.rowBytes * size_t(count);
    if (bytes > block.capacity) {
        block.bytes.reset(new (std::nothrow) uint8_t[bytes]);
        block.capacity = block.bytes ? bytes : 0;
        if (!block.bytes) return d.noMemory = true, false;
    }
    if (!ReadScanlines(d, block.bytes.get(), count)) return false;
    block.bottomRow = block.bytes.get() + size_t(count - 1) * d.rowBytes;
    block.rowStep = -ptrdiff_t(d.rowBytes);
    row_ += count;
    return true;
}

PictureResult JpegFileRows::failure() const {
    if (!d_ || d_->noMemory) return RefusePicture(NotEnoughMemoryFor(width_, height_));
    return RefusePicture(std::string("The picture could not be read: ") + d_->err.text + ".");
}
