#pragma once
#include "images/image32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A 24-bit bottom-up BMP file (info header, rows padded to 4 bytes), written a row at a time
// so that it needs no memory of the picture's size: `row(y, words)` fills the `width` words
// of picture row y (0 the top row, 0x00RRGGBB).
bool WriteBmp24Rows(const std::string& path, int width, int height, const std::function<void(int, uint32_t*)>& row);
bool WriteBmp24(const std::string& path, const Image32& img);
// The same file in memory; empty when the memory for it cannot be had.
std::vector<uint8_t> EncodeBmp24(const Image32& img);
