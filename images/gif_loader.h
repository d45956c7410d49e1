#pragma once
// GIF files: the first image becomes an 8-bit top-down device-independent bitmap block
// (40-byte header, colour table of blue, green, red, 0 quads, rows of indices padded to 4
// bytes), which is then turned into the display picture.
#include "images/image32.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Largest picture the loader builds (pixels); larger image descriptors are refused.
constexpr uint64_t kGifMaxPixels = uint64_t(1) << 26;
// An LZW code of at least 3 bits yields at most 4096 pixels, so complete image data never
// covers more than about 2731 pixels per byte; a picture far beyond that is refused rather
// than filled from a few bytes.
constexpr uint64_t kGifPixelsPerByte = 4096;
constexpr uint64_t kGifFreePixels = uint64_t(1) << 20;

struct GifView {
    std::vector<uint8_t> dib;  // empty when no picture was made
    int Xsize = 0;
    int Ysize = 0;
    uint16_t NumColors = 0;
    uint16_t BitsPerPixel = 0;
    uint16_t decoder_result = 0;
    std::vector<UserMessage> messages;
};

// For a picture that is not interlaced: called while it is decoded with rows
// first..first + count - 1 (top row 0), final from then on, in order. `dib` is the DIB block
// being filled (`size` bytes), as MakeBitmapAndPalette takes it.
using GifRowsDone = std::function<void(int first, int count, const uint8_t* dib, size_t size)>;

// Reads the header, the blocks up to the first image and that image. Every read stays
// inside `data`; image data that ends early leaves the unreached pixels at index 0.
GifView gifview(const uint8_t* data, size_t size, const GifRowsDone& rowsDone = {});

// What MakeBitmapAndPalette needs of an 8-bit DIB block, checked.
struct GifDib {
    int32_t width = 0, height = 0;
    bool topDown = false;
    size_t stride = 0;
    const uint8_t* bits = nullptr;
    uint32_t pal[256] = {};  // 0x00RRGGBB; indices past the table are black
};
// False when the block does not hold what its header says.
bool ReadGifDib(const uint8_t* dib, size_t size, GifDib& d);
// The colour indices of picture row y, top row 0.
const uint8_t* GifDibRow(const GifDib& d, int32_t y);

// The display picture from an 8-bit DIB block of `size` bytes. Returns 1 on success and 0
// on a block that does not hold what its header says. Indices beyond the colour table
// show black.
int MakeBitmapAndPalette(const uint8_t* dib, size_t size, Image32* picture);

