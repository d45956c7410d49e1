#pragma once
// Depth sampling for the stereogram generator: rows of a depth picture, in either depth mode,
// scaled to the output's size, as the depth offsets the generator links by.
#include "stereo/stereo_options.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A depth picture as the generator reads it.
struct DepthPicture {
    int width = 0;
    int height = 0;
    const uint8_t* bottomRow = nullptr;  // the first byte of the bottom row of pixels
    ptrdiff_t rowStep = 0;               // bytes from a row to the one above it (negative for top-down pictures)
    int bpp = 32;                        // 8 (grey), 16, 24 or 32 bits per pixel, blue byte first
    const uint16_t* grey16 = nullptr;    // width x height 16-bit grey values, top row first, or null
    int firstRow = 0;                    // the row at bottomRow, when only the rows from it up are held
    bool wide = false;                   // the rows hold 16-bit grey values, high byte first (bpp 16)
};

// Whether every pixel of rows first..first + count - 1 (from bottomRow on, rowStep bytes apart)
// has R = G = B (rows of 16-bit grey values are grey): the automatic depth mode reads such a picture as grey.
bool DepthRowsAreGrey(const uint8_t* bottomRow, ptrdiff_t rowStep, int count, int width, int bpp);
// The same for a whole depth picture, true too when it kept 16-bit grey values (grey16 or wide); false for a
// picture whose rows are not held (bottomRow null).
bool DepthPictureIsGrey(const DepthPicture& pic);

// The grey value (0 to 255) grey mode reads from one pixel of `bpp` bits, blue byte first.
int64_t DepthGreyOfPixel(const uint8_t* px, int bpp);

// Turns rows of a depth picture into depth offsets d = z - bkdepth for an output of outWidth x
// outHeight: classic mode h = low 7 bits of the first byte (gmax 127); grey mode g = the 16-bit
// grey value (gmax 65535) when the picture has one, else (299 R + 587 G + 114 B + 500) / 1000
// (gmax 255); invert takes gmax - g; d = g x relief / gmax. A picture of another size is scaled
// bilinearly on g, pixel centres matched and edges repeated, and d = that exact value x relief /
// gmax, truncated. Automatic mode takes grey for a picture DepthPictureIsGrey, else classic. Rows 8 to 31 under BlocksOnTop hold 0 and 32 x relief / 127 in 32-column steps.
class DepthRows {
public:
    DepthRows(const DepthPicture& pic, const StereoOptions& opts, int outWidth, int outHeight);
    // Row y of the output, counted from the bottom: outWidth offsets into d.
    void Row(int y, int32_t* d) const;
    // Whether the picture is read in grey mode (the automatic mode decided).
    bool greyMode() const { return grey; }
    // The largest value g takes: 127 classic, 255 or 65535 grey.
    int64_t greyMax() const { return gmax; }
    // The same for a picture of the output's size read a block at a time: its rows from
    // firstRow up lie from bottomRow on, rowStep bytes apart.
    DepthRows Holding(const uint8_t* bottomRow, ptrdiff_t rowStep, int firstRow) const;
    // The picture rows that output rows y0..y1-1 read (all counted from the bottom): lo..hi.
    void PictureRowsOf(int y0, int y1, int& lo, int& hi) const;

private:
    int64_t Grey(int x, int y) const;  // g of picture pixel (x, y), y counted from the bottom
    struct Tap {
        int at0, at1;   // the two picture columns (or rows) and the weight of the second,
        int64_t frac;   // in units of 1 / (2 x output side)
    };
    DepthPicture pic;
    const StereoOptions opts;
    int outWidth, outHeight;
    bool grey, scaled;
    int64_t gmax;
    std::vector<Tap> columns;
    std::vector<int32_t> offsetOf;  // d for each g when not scaled
    bool plainOffsets = false;      // offsetOf[g] == g for every g
};
