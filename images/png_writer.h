#pragma once
// PNG files written a band of rows at a time, the deflate work spread over every core: each
// block of rows is compressed on its own and ends on a byte boundary (a sync flush), so the
// pieces join into the one zlib stream the format asks for, their checksums combined. The
// file is written whole or not at all (platform/file_writer.h); a pipe or a device takes the
// bytes in order as they are made. No picture-sized buffer is ever made.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

enum class PngPixels {
    Rgb24,   // rows of 3-byte pixels: red, green, blue; an 8-bit RGB file
    Bgr24,   // the same filled blue, green, red, turned where they lie
    Grey16,  // rows of 16-bit grey values, high byte first; a 16-bit grey file
};

// Fills picture rows first..first + count - 1 (row 0 the top) at `rows`, `stride` bytes
// apart, with the pixels as the file holds them: they go to the compressor where they are,
// so the bytes between the rows are not the filler's. Called from several threads at once for
// the blocks of one band. False stops the writing.
using PngRowFiller = std::function<bool(int first, int count, uint8_t* rows, size_t stride)>;
// Called band after band from the top, one call at a time, before the blocks of rows
// first..first + count - 1 are filled: rows that come only in order are read here. The call
// for a band runs while the band before it is filled, so what it reads must not take the
// place of that band's rows. False stops the writing.
using PngBandStart = std::function<bool(int first, int count)>;

// Writes a width x height PNG whose rows `fill` produces. False when the file cannot be
// written, memory runs out or `fill` or `band` fails: no file is left then (an older one stays
// whole), errno the system's code of the first failed write, or 0 when none was the system's.
// A `perMetre` above 0 is stated in the file (pHYs) as its resolution in pixels per metre.
bool WritePngBlocks(const std::string& path, int width, int height, PngPixels pixels, const PngRowFiller& fill,
                    const PngBandStart& band = nullptr, int perMetre = 0);
