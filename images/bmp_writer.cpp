#include "images/bmp_writer.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {
void put16(uint8_t* b, uint32_t v) {
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
}
void put32(uint8_t* b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[i] = uint8_t(v >> (8 * i));
}

// The file and info headers of a 24-bit bottom-up picture whose rows are `stride` bytes.
void BmpHeader(uint8_t (&h)[54], int width, int height, size_t stride) {
    const size_t bits = stride * size_t(height);
    std::memset(h, 0, sizeof h);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, uint32_t(54 + bits));
    put32(h + 10, 54);
    put32(h + 14, 40);
    put32(h + 18, uint32_t(width));
    put32(h + 22, uint32_t(height));
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, uint32_t(bits));
    put32(h + 38, 2835);
    put32(h + 42, 2835);
}

void PackRow(const uint32_t* words, int width, uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        const uint32_t p = words[size_t(x)];
        out[3 * size_t(x)] = uint8_t(p);
        out[3 * size_t(x) + 1] = uint8_t(p >> 8);
        out[3 * size_t(x) + 2] = uint8_t(p >> 16);
    }
}
}  // namespace

bool WriteBmp24Rows(const std::string& path, int width, int height, const std::function<void(int, uint32_t*)>& row) {
    if (width <= 0 || height <= 0) return false;
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    uint8_t h[54];
    BmpHeader(h, width, height, stride);
    std::vector<uint32_t> words;
    std::vector<uint8_t> out;
    try {
        words.resize(size_t(width));
        out.resize(stride);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f || std::fwrite(h, 1, sizeof h, f.get()) != sizeof h) return false;
    for (int y = height - 1; y >= 0; --y) {
        row(y, words.data());
        PackRow(words.data(), width, out.data());
        if (std::fwrite(out.data(), 1, stride, f.get()) != stride) return false;
    }
    return std::fclose(f.release()) == 0;
}

bool WriteBmp24(const std::string& path, const Image32& img) {
    return WriteBmp24Rows(path, img.width, img.height, [&img](int y, uint32_t* words) {
        std::memcpy(words, &img.px[size_t(y) * size_t(img.width)], size_t(img.width) * 4);
    });
}

std::vector<uint8_t> EncodeBmp24(const Image32& img) {
    if (img.empty()) return {};
    const size_t stride = (size_t(img.width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> file;
    try {
        file.resize(54 + stride * size_t(img.height));
    } catch (const std::bad_alloc&) {
        return {};
    }
    uint8_t h[54];
    BmpHeader(h, img.width, img.height, stride);
    std::memcpy(file.data(), h, sizeof h);
    for (int y = 0; y < img.height; ++y)
        PackRow(&img.px[size_t(y) * size_t(img.width)], img.width, &file[54 + size_t(img.height - 1 - y) * stride]);
    return file;
}
