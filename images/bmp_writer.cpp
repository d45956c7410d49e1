#include "images/bmp_writer.h"

#include "platform/little_endian.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

bool WriteBmp24Rows(const std::string& path, int width, int height, const std::function<void(int, uint32_t*)>& row) {
    if (width <= 0 || height <= 0) return false;
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    const size_t bits = stride * size_t(height);
    uint8_t h[54] = {'B', 'M'};
    PutLe32(h + 2, uint32_t(54 + bits));
    PutLe32(h + 10, 54);
    PutLe32(h + 14, 40);
    PutLe32(h + 18, uint32_t(width));
    PutLe32(h + 22, uint32_t(height));
    PutLe16(h + 26, 1);
    PutLe16(h + 28, 24);
    PutLe32(h + 34, uint32_t(bits));
    PutLe32(h + 38, 2835);
    PutLe32(h + 42, 2835);
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
        for (int x = 0; x < width; ++x) {
            const uint32_t p = words[size_t(x)];
            out[3 * size_t(x)] = uint8_t(p);
            out[3 * size_t(x) + 1] = uint8_t(p >> 8);
            out[3 * size_t(x) + 2] = uint8_t(p >> 16);
        }
        if (std::fwrite(out.data(), 1, stride, f.get()) != stride) return false;
    }
    return std::fclose(f.release()) == 0;
}

bool WriteBmp24(const std::string& path, const Image32& img) {
    return WriteBmp24Rows(path, img.width, img.height, [&img](int y, uint32_t* words) {
        std::memcpy(words, &img.px[size_t(y) * size_t(img.width)], size_t(img.width) * 4);
    });
}
