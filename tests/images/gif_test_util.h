#pragma once
// Builds GIF data by hand for the tests: LZW codes packed least significant bit first into
// data sub-blocks, and whole files around them.
#include <cstdint>
#include <utility>
#include <vector>

// Codes as (value, width in bits) pairs, packed and cut into sub-blocks of `block` bytes,
// preceded by the code-size byte and followed by a block terminator.
inline std::vector<uint8_t> PackCodes(int codeSize, const std::vector<std::pair<int, int>>& codes, int block = 255,
                                      bool terminator = true) {
    std::vector<uint8_t> bytes;
    uint32_t acc = 0;
    int bits = 0;
    for (auto [value, width] : codes) {
        acc |= uint32_t(value) << bits;
        bits += width;
        while (bits >= 8) {
            bytes.push_back(uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) bytes.push_back(uint8_t(acc));
    std::vector<uint8_t> out{uint8_t(codeSize)};
    for (size_t i = 0; i < bytes.size(); i += size_t(block)) {
        const size_t n = std::min(bytes.size() - i, size_t(block));
        out.push_back(uint8_t(n));
        out.insert(out.end(), bytes.begin() + long(i), bytes.begin() + long(i + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

// Literal-only codes for `pixels` with the usual GIF width rule: a clear code first, the
// width grows once the next free code no longer fits, at most 12 bits.
inline std::vector<std::pair<int, int>> LiteralCodes(int codeSize, const std::vector<uint8_t>& pixels) {
    const int clear = 1 << codeSize;
    std::vector<std::pair<int, int>> codes{{clear, codeSize + 1}};
    int next = clear + 2, width = codeSize + 1;
    for (size_t i = 0; i < pixels.size(); ++i) {
        codes.push_back({pixels[i], width});
        if (i > 0 && next < 4096) ++next;  // the first literal defines nothing
        if (next == (1 << width) && width < 12) ++width;
    }
    codes.push_back({clear + 1, width});
    return codes;
}

// A whole file: header, global table of `entries` greys (or none), optional blocks before
// the image, the image descriptor and its data, trailer.
inline std::vector<uint8_t> MakeGif(int width, int height, uint8_t screenFlags, const std::vector<uint8_t>& data,
                                    uint8_t imageFlags = 0, const std::vector<uint8_t>& before = {},
                                    const char* version = "89a") {
    std::vector<uint8_t> f{'G', 'I', 'F', uint8_t(version[0]), uint8_t(version[1]), uint8_t(version[2]),
                           uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
                           screenFlags, 0, 0};
    if (screenFlags & 0x80)
        for (int i = 0; i < (2 << (screenFlags & 7)); ++i) f.insert(f.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    f.insert(f.end(), before.begin(), before.end());
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                       uint8_t(height >> 8), imageFlags});
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(0x3B);
    return f;
}
