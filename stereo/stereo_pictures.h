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

// The stereogram of `depth` textured with `background`: the size of `depth` or the options'
// size, with the band of convergence dots above it when the options ask. The depth picture's
// 16-bit grey values are used in grey mode when it has them. False (and `out` untouched) when
// a picture is empty, the options are unusable or memory runs out.
bool MakeStereoPicture(const Image32& background, const Image32& depth, const StereoOptions& opts, Image32& out);

// Puts a white band 6r high (r = max(2, width / 200)) above `img` holding two black discs of
// radius r on its middle row, `separation` pixels apart and symmetric about the middle column
// (the left centre at (width - 1 - separation) / 2, rounded down).
void AddConvergenceDots(Image32& img, int separation);

// A picture of random dots, 2 x the background separation wide (2 to 16384) and 256 high: colours, or
// black and white, from `seed`. The same seed always gives the same picture.
Image32 RandomDotTexture(int separation, bool blackAndWhite, uint32_t seed);
