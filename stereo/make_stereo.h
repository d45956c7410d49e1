#pragma once
// The stereogram generator: a random-texture stereogram built row by row with a link array.
//
// A stereogram is made in two independent steps per output row: the depth row (depth offsets
// d = z - bkdepth in 0..relief, see DepthRows) and the picture row from it (MakeStereoRow). Rows
// do not depend on each other, so they can be made in any order or at once.
#include "stereo/depth_rows.h"
#include "stereo/stereo_options.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

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
