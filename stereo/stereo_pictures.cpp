#include "stereo/stereo_pictures.h"

#include "stereo/make_stereo.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <random>

std::vector<uint8_t> BottomUpBits32(const Image32& img) {
    std::vector<uint8_t> bits(size_t(img.width) * size_t(img.height) * 4);
    for (int y = 0; y < img.height; ++y) {
        uint8_t* row = bits.data() + size_t(img.height - 1 - y) * size_t(img.width) * 4;
        for (int x = 0; x < img.width; ++x) {
            uint32_t w = img.at(x, y) & 0x00FFFFFFu;
            std::memcpy(row + size_t(x) * 4, &w, 4);
        }
    }
    return bits;
}

Image32 PictureFromBottomUpBits32(const uint8_t* bits, int width, int height) {
    Image32 img(width, height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bits + size_t(height - 1 - y) * size_t(width) * 4;
        for (int x = 0; x < width; ++x) {
            uint32_t w;
            std::memcpy(&w, row + size_t(x) * 4, 4);
            img.at(x, y) = w & 0x00FFFFFFu;
        }
    }
    return img;
}

namespace {

bool MakeRows(const Image32& background, const Image32& depth, const StereoOptions& opts, Image32& out) {
    const int W = opts.OutWidth ? opts.OutWidth : depth.width, H = opts.OutHeight ? opts.OutHeight : depth.height;
    StereoPlan plan;
    if (!BuildStereoPlan(opts, W, 32, background.width, 32, plan)) return false;
    const std::vector<uint8_t> wall = BottomUpBits32(background);
    const bool grey16 = depth.grey16.size() == depth.px.size();
    // The depth picture is read in place: its bottom row is the last one, rows go up by one width.
    const auto* top = reinterpret_cast<const uint8_t*>(depth.px.data());
    const ptrdiff_t step = ptrdiff_t(depth.width) * 4;
    const DepthRows rows({depth.width, depth.height, top + (depth.height - 1) * step, -step, 32,
                          grey16 ? depth.grey16.data() : nullptr},
                         opts, W, H);
    StereoRowWork work;
    std::vector<int32_t> d(size_t(W) + 1);
    if (!work.Allocate(plan)) return false;
    Image32 result(W, H);
    const size_t browBytes = size_t(background.width) * 4;
    for (int y = 0; y < H; ++y) {
        rows.Row(y, d.data());
        uint32_t* row = &result.px[size_t(H - 1 - y) * size_t(W)];
        MakeStereoRow(plan, work, d.data(), wall.data() + size_t(y % background.height) * browBytes,
                      reinterpret_cast<uint8_t*>(row));
        for (int x = 0; x < W; ++x) row[x] &= 0x00FFFFFFu;
    }
    if (opts.dots) AddConvergenceDots(result, BackgroundSeparation(opts));
    out = std::move(result);
    return true;
}

}  // namespace

bool MakeStereoPicture(const Image32& background, const Image32& depth, const StereoOptions& opts, Image32& out) {
    if (background.empty() || depth.empty()) return false;
    try {
        return MakeRows(background, depth, opts, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void AddConvergenceDots(Image32& img, int separation) {
    const int r = std::max(2, img.width / 200), band = 6 * r;
    Image32 tall(img.width, img.height + band, 0x00FFFFFFu);
    std::copy(img.px.begin(), img.px.end(), tall.px.begin() + ptrdiff_t(band) * img.width);
    // Rounded down also when a separation wider than the picture puts the left centre off it.
    const int64_t span = int64_t(img.width) - 1 - separation, c1 = span >= 0 ? span / 2 : -((1 - span) / 2);
    for (int64_t cx : {c1, c1 + separation})
        for (int y = 3 * r - r; y <= 3 * r + r; ++y)
            for (int64_t x = std::max<int64_t>(cx - r, 0); x <= std::min<int64_t>(cx + r, img.width - 1); ++x)
                if ((x - cx) * (x - cx) + int64_t(y - 3 * r) * (y - 3 * r) <= int64_t(r) * r) tall.at(int(x), y) = 0;
    img = std::move(tall);
}

Image32 RandomDotTexture(int separation, bool blackAndWhite, uint32_t seed) {
    Image32 img(int(std::clamp<int64_t>(2 * int64_t(separation), 2, kMaxOutSide)), 256);
    std::mt19937 rng(seed);
    for (uint32_t& p : img.px) {
        const uint32_t v = rng();
        p = blackAndWhite ? (v & 1 ? 0x00FFFFFFu : 0u) : v & 0x00FFFFFFu;
    }
    return img;
}
