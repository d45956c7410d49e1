#pragma once
// Stereograms from two display pictures, as the program and orvalis-cli make them.
#include "images/image32.h"
#include "stereo/stereo_options.h"

#include <cstdint>
#include <vector>

// The picture's bits as GetDIBits gives them from a 32-bit display: rows bottom-up, each
// pixel blue, green, red, 0.
std::vector<uint8_t> BottomUpBits32(const Image32& img);

// A 32-bit bottom-up buffer back to a picture (the fourth byte of each pixel is ignored).
Image32 PictureFromBottomUpBits32(const uint8_t* bits, int width, int height);

// The stereogram of `depth` textured with `background`, the size of `depth`. False (and `out`
// untouched) when a picture is empty, the options are unusable or memory runs out.
bool MakeStereoPicture(const Image32& background, const Image32& depth, const StereoOptions& opts, Image32& out);
