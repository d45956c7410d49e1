#pragma once
// Helpers for the picture reader tests: files, messages, Pillow's PPM references, cuts and bit flips.
#include "images/picture_file.h"
#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

inline const std::string kDataDir = ORVALIS_SOURCE_DIR "/tests/data/";

// The loader's messages as (caption, text) pairs.
using Boxes = std::vector<std::pair<std::string, std::string>>;
inline Boxes Messages(const PictureResult& r) {
    Boxes m;
    for (const auto& u : r.messages) m.emplace_back(u.caption, u.text);
    return m;
}

// The picture as rows of red, green, blue bytes, like ImageMagick's rgb: output.
inline std::vector<uint8_t> RgbBytes(const Image32& img) {
    std::vector<uint8_t> out;
    for (uint32_t p : img.px) out.insert(out.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    return out;
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
        const int r = f.get(), g = f.get(), b = f.get();  // read in this order
        p = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
    }
    return f ? img : Image32{};
}

// A picture read from `path` equals Pillow's reading: <reference>.ppm, and the 16-bit grey values
// of <reference>.g16 (none where there is no such file).
inline void ExpectPillowsPicture(const PictureResult& r, const std::string& reference, const std::string& path) {
    ASSERT_TRUE(r.ok && r.messages.empty()) << path << ": " << (r.messages.empty() ? "" : r.messages[0].text);
    const Image32 ref = ReadPpm(reference + ".ppm");
    EXPECT_EQ(std::make_pair(ref.width, ref.height), std::make_pair(r.image.width, r.image.height)) << path;
    EXPECT_TRUE(r.image.px == ref.px) << path;
    std::vector<uint8_t> grey;
    for (uint16_t v : r.image.grey16) grey.insert(grey.end(), {uint8_t(v), uint8_t(v >> 8)});
    EXPECT_EQ(grey, ReadFileBytes(reference + ".g16")) << path;
}

// Every `ext` file in tests/data/<dir> read through the dispatch equals the PPM Pillow made of it.
inline void ExpectEveryFileMatchesPillow(const std::string& dir, const std::string& ext, int atLeast) {
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(kDataDir + dir)) {
        if (e.path().extension() != ext) continue;
        ++files;
        const std::string path = e.path().string();
        ExpectPillowsPicture(ReadPictureFile(path), std::filesystem::path(path).replace_extension().string(), path);
    }
    EXPECT_GE(files, atLeast);
}

// The first `n` bytes of `v` in a buffer of exactly that size, so ASan sees a read past the cut.
inline std::vector<uint8_t> Cut(const std::vector<uint8_t>& v, size_t n) { return {v.begin(), v.begin() + long(n)}; }

// Cut lengths: every one below `dense` (the headers), each given boundary and its neighbours,
// every `stride`-th after that and the last four.
inline std::vector<size_t> CutLengths(size_t size, size_t dense, size_t stride, std::vector<size_t> marks = {}) {
    std::vector<size_t> n;
    for (size_t i = 0; i < size; i += i < dense ? 1 : stride) n.push_back(i);
    for (size_t m : marks) for (size_t d : {m - 1, m, m + 1}) if (d < size) n.push_back(d);
    for (size_t i = size < 4 ? 0 : size - 4; i < size; ++i) n.push_back(i);
    return n;
}

// `copies` copies of `whole`, each with `flips` random bits flipped, handed to `f`.
template <class F>
void ForEachCorruption(const std::vector<uint8_t>& whole, int copies, int flips, unsigned seed, F f) {
    std::mt19937 rng(seed);
    for (int i = 0; i < copies; ++i) {
        auto bad = whole;
        for (int k = 0; k < flips; ++k) bad[rng() % bad.size()] ^= uint8_t(1u << (rng() % 8));
        f(bad);
    }
}
