#pragma once
// An OpenGL window's depth buffer as a depth picture for a stereogram.
#include <cstdint>
#include <vector>

// `depth`: w x h window depths 0..1, bottom row first, as glReadPixels gives them; `projection`:
// the projection matrix they were drawn with, column-major as glGetDoublev gives it. Returns the
// distance from the eye as 16-bit grey, top row first: the nearest drawn point 65535, the
// farthest 0 (linear in distance between them), and pixels left at the clear depth 1.0 also 0.
// Drawn depths within 1/4096 of each other all count as nearest.
std::vector<uint16_t> DepthBufferToGrey16(const float* depth, int w, int h, const double projection[16]);
