#include "stereo/stereo_pictures.h"

#include "stereo/make_stereo.h"

#include <cstring>
#include <new>

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

bool MakeStereoPicture(const Image32& background, const Image32& depth, const StereoOptions& opts, Image32& out) {
    if (background.empty() || depth.empty()) return false;
    try {
        std::vector<uint8_t> wall = BottomUpBits32(background);
        std::vector<uint8_t> z = BottomUpBits32(depth);
        std::vector<uint8_t> t(z.size());
        if (!MakeStereo(wall.data(), z.data(), t.data(), depth.width, depth.height, 32, background.width,
                        background.height, 32, opts))
            return false;
        out = PictureFromBottomUpBits32(t.data(), depth.width, depth.height);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
