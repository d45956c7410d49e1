#include "images/bmp_writer.h"

#include "platform/parallel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kHeaderBytes = 54;
// About this many bytes of rows are filled and written at a time.
constexpr size_t kBlockBytes = size_t(4) << 20;

void put16(uint8_t* b, uint32_t v) {
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
}
void put32(uint8_t* b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[i] = uint8_t(v >> (8 * i));
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

Bmp24File::~Bmp24File() {
    if (fd_ >= 0) discard();
}

bool Bmp24File::open(const std::string& path, int width, int height) {
    if (fd_ >= 0 || width <= 0 || height <= 0) return false;
    stride_ = (size_t(width) * 3 + 3) & ~size_t(3);
    const uint64_t bits = uint64_t(stride_) * uint64_t(height);
    if (bits > 0xFFFFFFFFu - kHeaderBytes) return false;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created_ = fd_ >= 0;
    if (!created_ && errno == EEXIST) fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat st {};
    regular_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    path_ = path;
    height_ = height;
    end_ = 0;
    uint8_t h[kHeaderBytes] = {'B', 'M'};
    put32(h + 2, uint32_t(kHeaderBytes + bits));
    put32(h + 10, kHeaderBytes);
    put32(h + 14, 40);
    put32(h + 18, uint32_t(width));
    put32(h + 22, uint32_t(height));
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, uint32_t(bits));
    put32(h + 38, 2835);
    put32(h + 42, 2835);
    ok_ = true;
    return put(h, kHeaderBytes, 0);
}

bool Bmp24File::put(const uint8_t* p, size_t n, uint64_t at) {
    // A regular file takes every write at its place; anything else only in order.
    if (!ok_ || (!regular_ && at != end_)) return ok_ = false;
    for (uint64_t pos = at; n > 0;) {
        const ssize_t k = regular_ ? ::pwrite(fd_, p, n, off_t(pos)) : ::write(fd_, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return ok_ = false;
        p += k, n -= size_t(k), pos += uint64_t(k);
        if (!regular_) end_ = pos;
    }
    return true;
}

bool Bmp24File::write(int first, int count, const uint8_t* rows) {
    if (fd_ < 0 || first < 0 || count < 0 || first + count > height_) return ok_ = false;
    return put(rows, stride_ * size_t(count), kHeaderBytes + stride_ * uint64_t(first));
}

bool Bmp24File::close() {
    if (fd_ < 0) return false;
    if (!ok_) return discard(), false;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed && created_ && regular_) ::unlink(path_.c_str());
    return closed;
}

void Bmp24File::discard() {
    if (fd_ < 0) return;
    if (regular_ && !created_ && ::ftruncate(fd_, 0) != 0) {
        // nothing more can be done for it
    }
    ::close(fd_);
    fd_ = -1;
    if (regular_ && created_) ::unlink(path_.c_str());
}

bool WriteBmp24Rows(const std::string& path, int width, int height, const Bmp24RowFiller& fill) {
    Bmp24File file;
    if (!file.open(path, width, height)) return false;
    const int rows = int(std::clamp<size_t>(kBlockBytes / file.stride(), 1, size_t(height)));
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[file.stride() * size_t(rows)]);
    if (!block) return false;
    // Only the padding needs zeros; the filler writes every pixel byte.
    const size_t pixels = size_t(width) * 3;
    for (int r = 0; r < rows; ++r) std::memset(block.get() + size_t(r) * file.stride() + pixels, 0, file.stride() - pixels);
    for (int first = 0; first < height; first += rows) {
        const int count = std::min(rows, height - first);
        fill(first, count, block.get(), file.stride());
        if (!file.write(first, count, block.get())) return false;
    }
    return file.close();
}

bool WriteBmp24(const std::string& path, const Image32& img) {
    return WriteBmp24Rows(path, img.width, img.height, [&](int first, int count, uint8_t* rows, size_t stride) {
        ParallelFor(0, count, 64, [&](int begin, int end) {
            for (int r = begin; r < end; ++r)
                PackBgr24(&img.px[size_t(img.height - 1 - first - r) * size_t(img.width)], img.width,
                          rows + size_t(r) * stride);
        });
    });
}
