#pragma once
// The stereogram generator: a random-texture stereogram built row by row with a link array.
#include "stereo/stereo_options.h"

#include <cstddef>
#include <cstdint>

// Bytes per row of a device-independent bitmap (rows padded to a multiple of 4 bytes).
size_t DibStride(int width, int bitsPerPixel);

// Wall: background bits, bw x bh pixels at bbpp bits; Z: depth bits, Width x Height at fbpp;
// T: the output, laid out like Z. All rows bottom-up, DibStride bytes apart; 16, 24 or 32 bits
// per pixel. The depth level is the low 7 bits of a depth pixel's first byte. Pixel values
// are whole little-endian words; a word read that would reach past a background row's pixels
// takes 0 for the missing bytes, and an output pixel is written with its own bytes only.
// An odd-width result's last column repeats the column to its left (a 1-pixel-wide result
// takes the texture's first column). Row padding in T is left as it is.
// Returns 1 when T was written, 0 when the options or sizes are unusable or a work array
// could not be allocated (T untouched then).
int MakeStereo(const uint8_t* Wall, const uint8_t* Z, uint8_t* T, int Width, int Height, int fbpp, int bw, int bh,
               int bbpp, const StereoOptions& opts);
