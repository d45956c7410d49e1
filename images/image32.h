#pragma once
// The display picture every picture source produces: 32-bit xRGB, top row first.
#include "platform/user_message.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Image32 {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;  // width * height words, 0x00RRGGBB (bytes blue, green, red, 0)
    std::vector<uint16_t> grey16;  // 16-bit grey values, top row first, empty when the picture had none
    int perMetre = 0;  // the resolution a saved file states, in pixels per metre; 0: the format's usual

    Image32() = default;
    // Zero words come from a plain clear of memory, which is many times faster than a fill.
    Image32(int w, int h, uint32_t fill = 0) : width(w), height(h), px(size_t(w) * size_t(h)) {
        if (fill) std::fill(px.begin(), px.end(), fill);
    }
    bool empty() const { return width <= 0 || height <= 0; }
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t& at(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
};

// A picture read where it lies: rows top first, `stride` words apart, each word 0x..RRGGBB
// (its top byte is not looked at), and 16-bit grey values beside it when it has them.
struct PictureView {
    const uint32_t* px = nullptr;
    ptrdiff_t stride = 0;
    int width = 0, height = 0;
    const uint16_t* grey16 = nullptr;  // width x height, top row first, or null
};

inline PictureView ViewOf(const Image32& img) {
    const bool grey = !img.grey16.empty() && img.grey16.size() == img.px.size();
    return {img.px.data(), img.width, img.width, img.height, grey ? img.grey16.data() : nullptr};
}

// The picture's pixels from 16-bit grey values: their high bytes.
inline void ShowGrey16(Image32& img, const std::vector<uint16_t>& grey) {
    img.px.resize(grey.size());
    for (size_t i = 0; i < grey.size(); ++i) img.px[i] = uint32_t(grey[i] >> 8) * 0x010101u;
}

// A picture of 16-bit grey values (top row first, white 65535) shown by their high bytes.
// std::bad_alloc when it does not fit.
inline Image32 GreyPicture(int width, int height, std::vector<uint16_t> grey) {
    Image32 out(width, height);
    ShowGrey16(out, grey);
    out.grey16 = std::move(grey);
    return out;
}

// A picture of its own with the pixels (and grey values) of `v`.
inline Image32 ImageOf(const PictureView& v) {
    Image32 out(v.width, v.height);
    for (int y = 0; y < v.height; ++y)
        std::copy_n(v.px + ptrdiff_t(y) * v.stride, v.width, out.px.begin() + ptrdiff_t(y) * v.width);
    if (v.grey16) out.grey16.assign(v.grey16, v.grey16 + out.px.size());
    return out;
}

// "not enough memory for a 8000 x 8000 picture": an allocation of a picture's size failed.
inline std::string NotEnoughMemoryFor(int width, int height, const char* what = "picture") {
    return "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) + " " + what;
}
