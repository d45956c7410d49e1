#pragma once
// Device-independent bitmaps for the generator tests: bottom-up rows padded to 4 bytes,
// allocated to their exact size so that any read past the end shows under ASan.
#include <cstdint>
#include <random>
#include <vector>

struct Dib {
    int w = 0, h = 0, bpp = 32;
    std::vector<uint8_t> bits;

    Dib(int w_, int h_, int bpp_) : w(w_), h(h_), bpp(bpp_), bits(stride() * size_t(h_)) {}
    size_t stride() const { return ((size_t(bpp) * w + 31) / 32) * 4; }
    int bytes() const { return bpp / 8; }
    uint8_t* at(int x, int y) { return bits.data() + y * stride() + x * bytes(); }
    const uint8_t* at(int x, int y) const { return bits.data() + y * stride() + x * bytes(); }
    // The pixel's own bytes as a little-endian number.
    uint32_t pixel(int x, int y) const {
        uint32_t v = 0;
        for (int k = 0; k < bytes(); ++k) v |= uint32_t(at(x, y)[k]) << (8 * k);
        return v;
    }
    void setPixel(int x, int y, uint32_t v) {
        for (int k = 0; k < bytes(); ++k) at(x, y)[k] = uint8_t(v >> (8 * k));
    }
};

// Random colours, fourth byte 0 at 32 bits as a display gives it.
inline Dib RandomTexture(int w, int h, int bpp, uint32_t seed) {
    Dib d(w, h, bpp);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) d.setPixel(x, y, rng() & 0x00FFFFFF);
    return d;
}

// Every depth pixel's first byte is `first`; the other bytes are noise that must not count.
inline Dib FlatDepth(int w, int h, int bpp, uint8_t first) {
    Dib d(w, h, bpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) d.setPixel(x, y, 0x00A5C300u | first);
    return d;
}
