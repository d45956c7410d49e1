#pragma once
// Reference pictures for the GIF and JPEG tests: binary PPM files written by Pillow.
#include "images/image32.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// A P6 file with maxval 255 (no comments), as Pillow writes it; empty on anything else.
inline Image32 ReadPpm(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, maxval = 0;
    f >> magic >> w >> h >> maxval;
    f.get();
    if (magic != "P6" || maxval != 255 || w <= 0 || h <= 0) return {};
    Image32 img(w, h);
    for (auto& p : img.px) {
        uint8_t rgb[3] = {};
        f.read(reinterpret_cast<char*>(rgb), 3);
        p = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    }
    return f ? img : Image32{};
}

inline bool SamePixels(const Image32& a, const Image32& b) {
    return a.width == b.width && a.height == b.height && a.px == b.px;
}
