#pragma once
// The 256-entry palette through which an OpenGL window turns colour indices into colours.
#include <array>
#include <cstdint>

// 0x00RRGGBB per index: 0 black; 1-12 the dark and grey basics; 13 red, 14 green,
// 15 yellow, 16 blue, 17 magenta, 18 cyan, 19 white; 20-235 a 6x6x6 colour cube;
// 236-255 a grey ramp.
using GLPalette = std::array<uint32_t, 256>;

const GLPalette& DefaultGLPalette();
// An index outside 0-255 wraps as the colour-index buffer's 8 bits would.
uint32_t GLPaletteColour(const GLPalette& pal, int index);
