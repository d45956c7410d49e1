#pragma once
// TIFF files written through libtiff as their rows are made: 8-bit RGB, LZW, a strip at a time,
// the rows of each band filled on every core. The file is written whole or not at all
// (platform/file_writer.h); a device or a pipe, which cannot take the directory written at the
// end, is refused.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Fills picture rows first..first + count - 1 (row 0 the top) at `rows`, `stride` bytes apart, as
// blue, green, red bytes. Called from several threads at once for the blocks of one band. False
// stops the writing.
using TiffRowFiller = std::function<bool(int first, int count, uint8_t* rows, size_t stride)>;
// Called band after band from the top, one call at a time, before the band's rows are filled.
// False stops the writing.
using TiffBandStart = std::function<bool(int first, int count)>;

// Writes a width x height TIFF whose rows `fill` gives. False when the file cannot be written,
// memory runs out or `fill` or `band` fails: no file is left then (an older one stays whole),
// errno the system's code of the first failed write, or 0. The resolution stated is `perMetre`
// in dots per inch, or 100 dots per inch when it is 0, as Qt's writer states it.
bool WriteTiffBlocks(const std::string& path, int width, int height, const TiffRowFiller& fill,
                     const TiffBandStart& band = nullptr, int perMetre = 0);
