#pragma once
#include "images/image32.h"

#include <cstdint>
#include <string>
#include <vector>

// A 24-bit bottom-up BMP file (info header, rows padded to 4 bytes) of the picture.
std::vector<uint8_t> EncodeBmp24(const Image32& img);
bool WriteBmp24(const std::string& path, const Image32& img);
