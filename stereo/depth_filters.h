#pragma once
// Depth maps made or cleaned up before a stereogram: bevelled shapes (text) from an exact
// distance transform, and edge-preserving smoothing of jagged or terraced depth.
#include <cstdint>
#include <vector>

// For each of the width x height pixels, the squared Euclidean distance in pixels from its
// centre to the nearest pixel where `inside` is 0 (0 for those themselves; a picture without
// such a pixel measures to the nearest pixel beyond its border). Exact: Felzenszwalb and
// Huttenlocher's lower envelope of parabolas, a column pass and then a row pass.
std::vector<float> SquaredDistanceToOutside(const std::vector<uint8_t>& inside, int width, int height);

// A shape raised to a plateau: 0 outside, rising from the edge over `bevel` pixels (the
// distance of a pixel's centre from the nearest outside pixel's, less half a pixel) to 65535;
// every inside pixel at least 1. `bevel` 0 gives the plateau everywhere inside.
std::vector<uint16_t> BevelledDepth(const std::vector<uint8_t>& inside, int width, int height, double bevel);

// Bilateral smoothing of 16-bit depth with a square window of radius `radius` pixels:
// neighbours count by their distance (Gaussian, sigma radius / 2) and by how close their
// depth is (Gaussian, sigma 1/16 of the whole range), so steps between surfaces stay where
// they are while the jags and terraces on a surface are smoothed away.
std::vector<uint16_t> SmoothDepth(const std::vector<uint16_t>& depth, int width, int height, int radius);
