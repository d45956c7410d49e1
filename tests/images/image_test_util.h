#pragma once
// Helpers for the picture reader tests: files, Pillow's PPM references, messages, and GIF data
// built by hand (LZW codes packed least significant bit first into data sub-blocks).
#include "images/picture_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

inline const std::string kDataDir = ORVALIS_SOURCE_DIR "/tests/data/";

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// The loader's messages as (caption, text) pairs.
using Boxes = std::vector<std::pair<std::string, std::string>>;
inline Boxes Messages(const PictureResult& r) {
    Boxes m;
    for (const auto& u : r.messages) m.emplace_back(u.caption, u.text);
    return m;
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

// Every `ext` file in tests/data/<dir> read through the dispatch equals the PPM Pillow made of it.
inline void ExpectEveryFileMatchesPillow(const std::string& dir, const std::string& ext, int atLeast) {
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(kDataDir + dir)) {
        if (e.path().extension() != ext) continue;
        ++files;
        const Image32 ref = ReadPpm(std::filesystem::path(e.path()).replace_extension(".ppm").string());
        const PictureResult r = ReadPictureFile(e.path().string());
        ASSERT_TRUE(r.ok) << e.path();
        EXPECT_TRUE(r.messages.empty()) << e.path();
        EXPECT_EQ(std::make_pair(ref.width, ref.height), std::make_pair(r.image.width, r.image.height)) << e.path();
        EXPECT_TRUE(r.image.px == ref.px) << e.path();
    }
    EXPECT_GE(files, atLeast);
}

// Codes as (value, width in bits) pairs, packed and cut into sub-blocks of `block` bytes,
// preceded by the code-size byte and followed by a block terminator.
inline std::vector<uint8_t> PackCodes(int codeSize, const std::vector<std::pair<int, int>>& codes, int block = 255,
                                      bool terminator = true) {
    std::vector<uint8_t> bytes;
    uint32_t acc = 0;
    int bits = 0;
    for (auto [value, width] : codes) {
        acc |= uint32_t(value) << bits;
        for (bits += width; bits >= 8; bits -= 8, acc >>= 8) bytes.push_back(uint8_t(acc));
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
// width grows once the next free code no longer fits, at most 12 bits; the end code last.
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
