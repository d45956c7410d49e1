#pragma once
// The Mandelbrot palette file: two free lines, the colour count N (255 reads as 256), then
// N lines "red green blue" in decimal, of which each value's low 8 bits count.
#include "images/image32.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Parses the file's bytes into Kleuren: 0x00BBGGRR per colour in file order, at least 256
// entries, the ones the file does not supply black; lowers MndlMaxColors to N. Returns 1, or
// 0 with a message (count below 1, fewer colour lines than the count); nothing is changed then.
int LoadPaletteBytes(const uint8_t* data, size_t size, const std::string& filename, std::vector<uint32_t>& Kleuren,
                     int32_t& MndlMaxColors, UserMessage& msg);

// Where a relative palette name is looked for: the current directory, the directory of the
// running program, the installed data folder beside it (bin/../share/orvalis).
std::vector<std::filesystem::path> PaletteSearchDirs();
// The first existing file of that name in `dirs`; an absolute name, or one found nowhere,
// comes back unchanged (so the open fails with the name the user gave).
std::string FindPaletteFile(const std::string& name, const std::vector<std::filesystem::path>& dirs);
