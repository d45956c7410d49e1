#pragma once
// The stereogram generator: a random-texture stereogram built row by row with a link array.
//
// A stereogram is made in two independent steps per output row: the depth row (depth offsets
// d = z - bkdepth in 0..relief, see DepthRows) and the picture row from it (MakeStereoRow). Rows
// do not depend on each other, so they can be made in any order or at once.
#include "stereo/stereo_options.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A depth picture as the generator reads it.
struct DepthPicture {
    int width = 0;
    int height = 0;
    const uint8_t* bottomRow = nullptr;  // the first byte of the bottom row of pixels
    ptrdiff_t rowStep = 0;               // bytes from a row to the one above it (negative for top-down pictures)
    int bpp = 32;                        // 16, 24 or 32 bits per pixel, blue byte first
    const uint16_t* grey16 = nullptr;    // width x height 16-bit grey values, top row first, or null
    int firstRow = 0;                    // the row at bottomRow, when only the rows from it up are held
};

// Turns rows of a depth picture into depth offsets d = z - bkdepth for an output of outWidth x
// outHeight: classic mode h = low 7 bits of the first byte (gmax 127); grey mode g = the 16-bit
// grey value (gmax 65535) when the picture has one, else (299 R + 587 G + 114 B + 500) / 1000
// (gmax 255); invert takes gmax - g; d = g x relief / gmax. A picture of another size is scaled
// bilinearly on g, pixel centres matched and edges repeated, and d = that exact value x relief /
// gmax, truncated. Rows 8 to 31 under BlocksOnTop hold 0 and 32 x relief / 127 in 32-column steps.
class DepthRows {
public:
    DepthRows(const DepthPicture& pic, const StereoOptions& opts, int outWidth, int outHeight);
    // Row y of the output, counted from the bottom: outWidth offsets into d.
    void Row(int y, int32_t* d) const;
    // The same for a picture of the output's size read a block at a time: its rows from
    // firstRow up lie from bottomRow on, rowStep bytes apart.
    DepthRows Holding(const uint8_t* bottomRow, ptrdiff_t rowStep, int firstRow) const;

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

// What stays the same for every row of one stereogram: sizes and tables per depth offset.
struct StereoPlan {
    int width = 0;     // output pixels per row
    int picwidth = 0;  // width rounded down to even
    int fB = 4, bB = 4;  // bytes per output and texture pixel
    int wrap = 0;      // texture wrap width
    int ov = 1;
    int n = 0;         // samples per row
    size_t browBytes = 0;  // bytes of pixels in a texture row
    int bkdepth = 0;
    int relief = 127;
    bool hidden = false;
    uint32_t texMask = 0xFFFFFFFFu;  // texture words are taken ANDed with this
    std::vector<int64_t> half, sep;  // separation and its half, per depth offset 0..relief
    std::vector<float> v;            // hidden-surface slope per depth offset
    static constexpr int kSightSteps = 16;
    std::vector<int32_t> sight32;    // the ray's height after 1..kSightSteps steps, per depth offset
    std::vector<int32_t> sightBack;  // the same, last step first
};

// False when the options or sizes are unusable.
bool BuildStereoPlan(const StereoOptions& opts, int width, int fbpp, int bw, int bbpp, StereoPlan& p);

// Work arrays of one row; a thread making rows needs its own.
struct StereoRowWork {
    std::unique_ptr<int32_t[]> pixels, zs;
    std::unique_ptr<uint32_t[]> marks, words;  // marks: the stamp of the last row that linked each sample
    uint32_t stamp = 0;
    // False when memory runs out.
    bool Allocate(const StereoPlan& p);
};

// One output row from its depth offsets d (width values, 0..relief) and the texture row that
// it uses; out receives width pixels of fB bytes (padding after them is left alone).
void MakeStereoRow(const StereoPlan& p, StereoRowWork& w, const int32_t* d, const uint8_t* wallRow, uint8_t* outRow);

// Rows y0..y1-1 (counted from the bottom) of a stereogram, on every core: wallRow(y) is the
// texture row that row y uses, outRow(y) where row y goes. False when memory runs out.
bool MakeStereoRows(const StereoPlan& p, const DepthRows& depth, int y0, int y1,
                    const std::function<const uint8_t*(int y)>& wallRow, const std::function<uint8_t*(int y)>& outRow);

// Wall: background bits, bw x bh pixels at bbpp bits; Z: depth bits, Width x Height at fbpp;
// T: the output at fbpp bits, Width x Height, or OutWidth x OutHeight when the options give a
// size. All rows bottom-up, DibStride bytes apart; 16, 24 or 32 bits per pixel. Pixel values
// are whole little-endian words; a word read that would reach past a background row's pixels
// takes 0 for the missing bytes, and an output pixel is written with its own bytes only.
// An odd-width result's last column repeats the column to its left (a 1-pixel-wide result
// takes the texture's first column). Row padding in T is left as it is. The dots band is
// not part of T (see ConvergenceBand).
// Returns 1 when T was written, 0 when the options or sizes are unusable or a work array
// could not be allocated (T untouched then).
int MakeStereo(const uint8_t* Wall, const uint8_t* Z, uint8_t* T, int Width, int Height, int fbpp, int bw, int bh,
               int bbpp, const StereoOptions& opts);
