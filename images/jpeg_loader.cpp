#include "images/jpeg_loader.h"

#include "images/picture_file.h"
#include "platform/whole_file.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct ErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void error_exit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorMgr*>(cinfo->err)->jump, 1);
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
void cmyk_row_to_bgr(const uint8_t* in, uint8_t* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned c = inverted ? in[0] : 255u - in[0];
        const unsigned m = inverted ? in[1] : 255u - in[1];
        const unsigned y = inverted ? in[2] : 255u - in[2];
        const unsigned k = inverted ? in[3] : 255u - in[3];
        out[0] = uint8_t((y * k + 127) / 255);
        out[1] = uint8_t((m * k + 127) / 255);
        out[2] = uint8_t((c * k + 127) / 255);
    }
}

// The part of LoadJPEG that the library may leave by longjmp; it owns no C++ objects but
// the caller's buffers.
int decode(jpeg_decompress_struct* cinfo, const uint8_t* data, size_t size, tDIB* B, std::vector<uint8_t>* cmyk) {
    ErrorMgr* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
    if (setjmp(err->jump)) return 0;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    const bool is_cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = is_cmyk ? JCS_CMYK : JCS_EXT_BGR;
    const uint64_t w = cinfo->image_width, h = cinfo->image_height;
    if (w == 0 || h == 0 || w * h > kJpegMaxPixels) return 0;
    B->x = int(w);
    B->y = int(h);
    B->l = int((3 * w + 3) & ~uint64_t(3));
    try {
        B->b.assign(size_t(B->l) * h, 0);
        if (is_cmyk) cmyk->assign(size_t(4 * w), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    jpeg_start_decompress(cinfo);
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height) {
        uint8_t* row = B->b.data() + size_t(cinfo->output_scanline) * size_t(B->l);
        JSAMPROW rows[1] = {is_cmyk ? cmyk->data() : row};
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1) return 0;
        if (is_cmyk) cmyk_row_to_bgr(cmyk->data(), row, B->x, inverted);
    }
    jpeg_finish_decompress(cinfo);
    return 1;
}

}  // namespace

int LoadJPEG(const uint8_t* data, size_t size, tDIB* B) {
    *B = tDIB{};
    if (size == 0) return 0;
    jpeg_decompress_struct cinfo;
    ErrorMgr err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = error_exit;
    err.pub.emit_message = emit_message;
    jpeg_create_decompress(&cinfo);
    std::vector<uint8_t> cmyk;
    const int ok = decode(&cinfo, data, size, B, &cmyk);
    jpeg_destroy_decompress(&cinfo);
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

PictureResult ReadJpegBytes(const uint8_t* data, size_t size) {
    PictureResult r;
    tDIB dib;
    if (!LoadJPEG(data, size, &dib)) return r;
    r.ok = CreateDDBfromDIB(dib, &r.image) == 1;
    return r;
}

// No message of its own: a file that cannot be read fails like one that cannot be decoded.
PictureResult LoadJpegFileCore(const std::string& path) {
    const WholeFile file = ReadWholeFile(path);
    if (!file) return {};
    return ReadJpegBytes(file.data(), file.size);
}
