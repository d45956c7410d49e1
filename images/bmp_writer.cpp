#include "images/bmp_writer.h"

#include "images/dib.h"
#include "platform/little_endian.h"
#include "platform/parallel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kHeaderBytes = 54;
// About this many bytes of rows are filled and written at a time: few enough that the rows
// are still in the core's cache when they are written.
constexpr size_t kBlockBytes = size_t(256) << 10;

// The file and info headers of a 24-bit bottom-up picture whose rows are `stride` bytes.
void BmpHeader(uint8_t (&h)[kHeaderBytes], int width, int height, size_t stride, int perMetre) {
    const size_t bits = stride * size_t(height);
    std::memset(h, 0, sizeof h);
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(h + 2, uint32_t(kHeaderBytes + bits));
    PutLe32(h + 10, kHeaderBytes);
    PutLe32(h + 14, 40);
    PutLe32(h + 18, uint32_t(width));
    PutLe32(h + 22, uint32_t(height));
    PutLe16(h + 26, 1);
    PutLe16(h + 28, 24);
    PutLe32(h + 34, uint32_t(bits));
    PutLe32(h + 38, uint32_t(perMetre));
    PutLe32(h + 42, uint32_t(perMetre));
}

}  // namespace

void PackBgr24(const uint32_t* px, int width, uint8_t* out) {
    int x = 0;
    // Four pixels make three whole words.
    for (; x + 4 <= width; x += 4, out += 12) {
        const uint32_t a = px[x] & 0xFFFFFF, b = px[x + 1] & 0xFFFFFF, c = px[x + 2] & 0xFFFFFF, d = px[x + 3] & 0xFFFFFF;
        const uint32_t w[3] = {a | b << 24, b >> 8 | c << 16, c >> 16 | d << 8};
        std::memcpy(out, w, 12);
    }
    for (; x < width; ++x, out += 3) {
        out[0] = uint8_t(px[x]);
        out[1] = uint8_t(px[x] >> 8);
        out[2] = uint8_t(px[x] >> 16);
    }
}

bool Bmp24File::WrittenInOrder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

bool Bmp24File::open(const std::string& path, int width, int height, int perMetre) {
    if (file_.fd() >= 0 || width <= 0 || height <= 0) return false;
    stride_ = DibStride(width, 24);
    if (uint64_t(stride_) * uint64_t(height) > 0xFFFFFFFFu - kHeaderBytes) return errno = EFBIG, false;
    height_ = height;
    end_ = 0;
    error_ = 0;
    if (!file_.open(path, {}, true)) return false;
    uint8_t h[kHeaderBytes];
    BmpHeader(h, width, height, stride_, perMetre);
    ok_ = true;
    return put(h, kHeaderBytes, 0);
}

bool Bmp24File::fail(int code) {
    int none = 0;
    error_.compare_exchange_strong(none, code);
    return ok_ = false;
}

bool Bmp24File::put(const uint8_t* p, size_t n, uint64_t at) {
    if (!ok_ || (file_.direct() && at != end_)) return fail(0);
    for (uint64_t pos = at; n > 0;) {
        const ssize_t k = file_.direct() ? ::write(file_.fd(), p, n) : ::pwrite(file_.fd(), p, n, off_t(pos));
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return fail(k < 0 ? errno : EIO);
        p += k, n -= size_t(k), pos += uint64_t(k);
        if (file_.direct()) end_ = pos;
    }
    return true;
}

bool Bmp24File::write(int first, int count, const uint8_t* rows) {
    if (file_.fd() < 0 || first < 0 || count < 0 || first + count > height_) return fail(0);
    return put(rows, stride_ * size_t(count), kHeaderBytes + stride_ * uint64_t(first));
}

bool Bmp24File::close() {
    if (file_.fd() < 0 || !ok_) {
        discard();
        return errno = error_, false;
    }
    if (const int code = file_.commit()) return errno = code, false;
    return true;
}

bool WriteBmp24Blocks(const std::string& path, int width, int height, const Bmp24RowFiller& fill, bool anyThread,
                      int perMetre, const Bmp24BandStart& band) {
    Bmp24File file;
    if (!file.open(path, width, height, perMetre)) return false;
    if (band && !file.seekable()) return file.discard(), errno = ESPIPE, false;
    const size_t stride = file.stride(), pixels = size_t(width) * 3;
    const int rows = int(std::clamp<size_t>(kBlockBytes / stride, 1, size_t(height)));
    std::atomic<bool> ok{true};
    // Blocks k0..k1-1 of the file rows from `first` on, `end` the row after the last.
    const auto write = [&](int first, int end, int k0, int k1) {
        std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[stride * size_t(rows)]);
        if (!block) return ok.store(false);
        // Only the padding needs zeros; the filler writes every pixel byte.
        for (int r = 0; r < rows; ++r) std::memset(block.get() + size_t(r) * stride + pixels, 0, stride - pixels);
        for (int k = k0; k < k1 && ok.load(std::memory_order_relaxed); ++k) {
            const int at = first + k * rows, count = std::min(rows, end - at);
            if (!fill(at, count, block.get(), stride) || !file.write(at, count, block.get())) ok.store(false);
        }
    };
    const auto blocksOf = [&](int first, int end) { return (end - first + rows - 1) / rows; };
    if (band) {
        // Bands from the top of the picture, the file's end: the next is read while one is made.
        const int span = std::max(2, ParallelThreads() * 4) * rows, bands = (height + span - 1) / span;
        const auto first = [&](int b) { return std::max(0, height - (b + 1) * span); };
        const auto end = [&](int b) { return height - b * span; };
        std::atomic<bool> bandRead{band(first(0), end(0) - first(0))};
        for (int b = 0; b < bands && ok; ++b) {
            if (!bandRead) {
                ok = false;
                break;
            }
            TaskGroup reader;
            if (b + 1 < bands) reader.run([&] { bandRead = band(first(b + 1), end(b + 1) - first(b + 1)); });
            ParallelFor(0, blocksOf(first(b), end(b)), 1, [&](int k0, int k1) { write(first(b), end(b), k0, k1); });
            reader.wait();
        }
    } else if (anyThread && file.seekable()) {
        // A file that takes its rows in any order takes each block from the thread that made it.
        ParallelFor(0, blocksOf(0, height), 1, [&](int k0, int k1) { write(0, height, k0, k1); });
    } else {
        write(0, height, 0, blocksOf(0, height));
    }
    if (!ok.load()) {
        const int code = file.error();
        file.discard();
        return errno = code, false;
    }
    return file.close();
}

bool WriteBmp24Rows(const std::string& path, int width, int height, const std::function<void(int, uint32_t*)>& row) {
    std::unique_ptr<uint32_t[]> words(new (std::nothrow) uint32_t[size_t(std::max(width, 1))]);
    if (!words) return false;
    return WriteBmp24Blocks(path, width, height, [&](int first, int count, uint8_t* rows, size_t stride) {
        for (int r = 0; r < count; ++r) {
            row(height - 1 - first - r, words.get());
            PackBgr24(words.get(), width, rows + size_t(r) * stride);
        }
        return true;
    });
}

bool WriteBmp24(const std::string& path, const Image32& img) {
    const auto fill = [&](int first, int count, uint8_t* rows, size_t stride) {
        for (int r = 0; r < count; ++r)
            PackBgr24(&img.px[size_t(img.height - 1 - first - r) * size_t(img.width)], img.width, rows + size_t(r) * stride);
        return true;
    };
    return WriteBmp24Blocks(path, img.width, img.height, fill, true, img.perMetre > 0 ? img.perMetre : kBmpDefaultPerMetre);
}

std::vector<uint8_t> EncodeBmp24(const PictureView& img, int perMetre) {
    if (img.width <= 0 || img.height <= 0) return {};
    const size_t stride = DibStride(img.width, 24);
    std::vector<uint8_t> file;
    try {
        file.resize(kHeaderBytes + stride * size_t(img.height));
    } catch (const std::bad_alloc&) {
        return {};
    }
    uint8_t h[kHeaderBytes];
    BmpHeader(h, img.width, img.height, stride, perMetre);
    std::memcpy(file.data(), h, sizeof h);
    for (int y = 0; y < img.height; ++y)
        PackBgr24(img.px + y * img.stride, img.width, &file[kHeaderBytes + size_t(img.height - 1 - y) * stride]);
    return file;
}
