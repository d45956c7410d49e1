#pragma once
// A plain, step-by-step stereogram generator (a division per sample, explicit clamps) that
// the fast MakeStereo must match byte for byte.
#include "stereo/stereo_options.h"

#include <cstdint>

int ReferenceMakeStereo(const uint8_t* Wall, const uint8_t* Z, uint8_t* T, int Width, int Height, int fbpp, int bw,
                        int bh, int bbpp, const StereoOptions& opts);
