#include "images/tiff_writer.h"

#include "platform/file_writer.h"
#include "platform/parallel.h"

#include <tiffio.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <memory>
#include <new>

namespace {

constexpr size_t kBandBytes = size_t(4) << 20;  // rows filled at once, on every core

// libtiff's file: the output file's descriptor, read and written where libtiff says.
struct Sink {
    int fd = -1, error = 0;
    uint64_t pos = 0;
};

tmsize_t ReadProc(thandle_t h, void* out, tmsize_t n) {
    auto* s = static_cast<Sink*>(h);
    const ssize_t got = ::pread(s->fd, out, size_t(n), off_t(s->pos));
    if (got > 0) s->pos += uint64_t(got);
    return got;
}
tmsize_t WriteProc(thandle_t h, void* data, tmsize_t n) {
    auto* s = static_cast<Sink*>(h);
    for (tmsize_t done = 0; done < n;) {
        const ssize_t put = ::pwrite(s->fd, static_cast<const uint8_t*>(data) + done, size_t(n - done), off_t(s->pos));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (!s->error) s->error = put < 0 ? errno : EIO;
            return -1;
        }
        done += put;
        s->pos += uint64_t(put);
    }
    return n;
}
toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto* s = static_cast<Sink*>(h);
    struct stat st {};
    const uint64_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? (::fstat(s->fd, &st) == 0 ? uint64_t(st.st_size) : 0) : 0;
    s->pos = base + off;
    return s->pos;
}
int CloseProc(thandle_t) { return 0; }  // the descriptor is the output file's
toff_t SizeProc(thandle_t h) {
    struct stat st {};
    return ::fstat(static_cast<Sink*>(h)->fd, &st) == 0 ? toff_t(st.st_size) : 0;
}
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }  // a failure is told by errno

}  // namespace

bool WriteTiffBlocks(const std::string& path, int width, int height, const TiffRowFiller& fill,
                     const TiffBandStart& band, int perMetre) {
    if (width <= 0 || height <= 0) return errno = 0, false;
    OutputFile file;
    if (!file.open(path)) return false;
    if (file.direct()) return file.discard(), errno = ESPIPE, false;
    Sink sink{file.fd()};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return file.discard(), errno = 0, false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    TIFF* tif = TIFFClientOpenExt("result", "w", &sink, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                  UnmapProc, options);
    TIFFOpenOptionsFree(options);
    if (!tif) return file.discard(), errno = sink.error, false;
    const size_t stride = size_t(width) * 3;
    // Strips of about 64 KiB; a band a whole number of strips.
    const int strip = int(std::clamp<size_t>((size_t(64) << 10) / stride, 1, size_t(height)));
    const int span = int(std::clamp<size_t>(kBandBytes / stride / size_t(strip), 1, size_t(height)) * size_t(strip));
    const float dpi = perMetre > 0 ? float(std::round(perMetre * 2.54) / 100.0) : 100.0f;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width)) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height)) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) && TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(strip)) && TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
              TIFFSetField(tif, TIFFTAG_XRESOLUTION, dpi) && TIFFSetField(tif, TIFFTAG_YRESOLUTION, dpi);
    std::unique_ptr<uint8_t[]> rows(ok ? new (std::nothrow) uint8_t[stride * size_t(std::min(span, height))] : nullptr);
    ok = ok && rows;
    std::atomic<bool> filled{true};
    for (int top = 0; ok && top < height; top += span) {
        const int count = std::min(span, height - top), blocks = (count + strip - 1) / strip;
        if (band && !band(top, count)) {
            ok = false;
            break;
        }
        ParallelFor(0, blocks, 1, [&](int b0, int b1) {
            for (int b = b0; b < b1 && filled.load(std::memory_order_relaxed); ++b) {
                const int first = b * strip, n = std::min(strip, count - first);
                uint8_t* at = rows.get() + size_t(first) * stride;
                if (!fill(top + first, n, at, stride)) {
                    filled = false;
                    break;
                }
                for (size_t i = 0; i < stride * size_t(n); i += 3) std::swap(at[i], at[i + 2]);
            }
        });
        ok = filled;
        for (int b = 0; ok && b < blocks; ++b) {
            const int first = b * strip, n = std::min(strip, count - first);
            ok = TIFFWriteEncodedStrip(tif, uint32_t((top + first) / strip), rows.get() + size_t(first) * stride,
                                       tmsize_t(stride * size_t(n))) >= 0;
        }
    }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    if (!ok) {
        const int code = sink.error;
        file.discard();
        return errno = code, false;
    }
    if (const int code = file.commit()) return errno = code, false;
    return true;
}
