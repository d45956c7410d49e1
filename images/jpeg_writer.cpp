#include "images/jpeg_writer.h"

#include "platform/file_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

#include <jpeglib.h>

namespace {

constexpr int kRows = 64;  // rows filled at a time, a multiple of the 16 rows of an MCU

struct Sink {
    jpeg_destination_mgr pub;
    jpeg_error_mgr err;
    std::jmp_buf jump;
    int fd = -1, error = 0;
    JOCTET buffer[1 << 16];
};

Sink& SinkOf(j_compress_ptr c) { return *reinterpret_cast<Sink*>(c->dest); }

// The bytes of the buffer up to `end` to the file; the first failure is kept and the rest
// of the picture is still taken (and dropped), so the library needs no way out.
void Flush(Sink& s, const JOCTET* end) {
    if (!s.error) s.error = WriteAll(s.fd, s.buffer, size_t(end - s.buffer));
}

void InitDestination(j_compress_ptr c) {
    Sink& s = SinkOf(c);
    s.pub.next_output_byte = s.buffer;
    s.pub.free_in_buffer = sizeof s.buffer;
}

boolean EmptyBuffer(j_compress_ptr c) {
    Sink& s = SinkOf(c);
    Flush(s, s.buffer + sizeof s.buffer);
    InitDestination(c);
    return TRUE;
}

void TermDestination(j_compress_ptr c) { Flush(SinkOf(c), SinkOf(c).pub.next_output_byte); }

[[noreturn]] void ErrorExit(j_common_ptr c) { std::longjmp(static_cast<Sink*>(c->client_data)->jump, 1); }

// The part the library may leave by longjmp: no C++ object lives here. `rows` holds kRows
// rows of `stride` bytes.
bool Encode(jpeg_compress_struct& c, Sink& s, int width, int height, int quality, int perMetre, uint8_t* rows,
            size_t stride, const JpegRowFiller& fill, bool& filled) {
    if (setjmp(s.jump)) return false;
    jpeg_create_compress(&c);
    c.dest = &s.pub;
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;  // the rows as they are filled
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (perMetre > 0) {
        c.density_unit = 1;  // dots per inch
        c.X_density = c.Y_density = UINT16(std::clamp(std::lround(perMetre * 0.0254), 1L, 65535L));
    }
    jpeg_start_compress(&c, TRUE);
    JSAMPROW at[kRows];
    for (int y = 0; y < height; y += kRows) {
        const int n = std::min(kRows, height - y);
        if (!(filled = fill(y, n, rows, stride))) return false;
        for (int r = 0; r < n; ++r) at[r] = rows + size_t(r) * stride;
        for (int done = 0; done < n;) done += int(jpeg_write_scanlines(&c, at + done, JDIMENSION(n - done)));
    }
    jpeg_finish_compress(&c);
    return true;
}

}  // namespace

bool WriteJpegRows(const std::string& path, int width, int height, int quality, const JpegRowFiller& fill,
                   int perMetre) {
    if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) return errno = 0, false;
    const size_t stride = size_t(width) * 3;
    std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[stride * kRows]);
    std::unique_ptr<Sink> sink(new (std::nothrow) Sink);
    if (!rows || !sink) return errno = 0, false;
    OutputFile file;
    if (!file.open(path, {}, true)) return false;
    Sink& s = *sink;
    s.fd = file.fd();
    s.pub.init_destination = InitDestination;
    s.pub.empty_output_buffer = EmptyBuffer;
    s.pub.term_destination = TermDestination;
    jpeg_compress_struct c{};
    c.client_data = &s;  // kept by jpeg_create_compress, as the error manager is
    c.err = jpeg_std_error(&s.err);
    s.err.error_exit = ErrorExit;
    bool filled = true;
    const bool ok = Encode(c, s, width, height, quality, perMetre, rows.get(), stride, fill, filled);
    jpeg_destroy_compress(&c);
    if (!ok || s.error) {
        file.discard();
        return errno = s.error, false;
    }
    if (const int code = file.commit()) return errno = code, false;
    return true;
}
