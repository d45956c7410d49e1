#include "images/bmp_writer.h"

#include "platform/little_endian.h"

#include <cstdio>

std::vector<uint8_t> EncodeBmp24(const Image32& img) {
    const size_t stride = (size_t(img.width) * 3 + 3) & ~size_t(3);
    const size_t bits = stride * size_t(img.height);
    std::vector<uint8_t> b(54 + bits, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutLe32(b.data() + 2, uint32_t(b.size()));
    PutLe32(b.data() + 10, 54);
    PutLe32(b.data() + 14, 40);
    PutLe32(b.data() + 18, uint32_t(img.width));
    PutLe32(b.data() + 22, uint32_t(img.height));
    PutLe16(b.data() + 26, 1);
    PutLe16(b.data() + 28, 24);
    PutLe32(b.data() + 34, uint32_t(bits));
    PutLe32(b.data() + 38, 2835);
    PutLe32(b.data() + 42, 2835);
    for (int y = 0; y < img.height; ++y) {
        uint8_t* row = &b[54 + stride * size_t(img.height - 1 - y)];
        for (int x = 0; x < img.width; ++x) {
            uint32_t p = img.at(x, y);
            row[3 * x] = uint8_t(p);
            row[3 * x + 1] = uint8_t(p >> 8);
            row[3 * x + 2] = uint8_t(p >> 16);
        }
    }
    return b;
}

bool WriteBmp24(const std::string& path, const Image32& img) {
    std::vector<uint8_t> b = EncodeBmp24(img);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}
