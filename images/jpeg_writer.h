#pragma once
// JPEG files through libjpeg-turbo's scanline interface, written as the rows come: no
// picture-sized buffer is ever made. The file is written whole or not at all
// (platform/file_writer.h); a pipe or a device takes the bytes in order.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Fills picture rows first..first + count - 1 (row 0 the top) at `rows`, `stride` bytes
// apart, as blue, green, red bytes. False stops the writing.
using JpegRowFiller = std::function<bool(int first, int count, uint8_t* rows, size_t stride)>;

// A width x height baseline JPEG at `quality` (1 to 100), 4:2:0, whose rows `fill` gives a
// block at a time from the top. False when the file cannot be written, memory runs out or
// `fill` fails: no file is left then, errno the system's code of the failed write or 0.
// A `perMetre` above 0 is stated in the JFIF header as dots per inch.
bool WriteJpegRows(const std::string& path, int width, int height, int quality, const JpegRowFiller& fill,
                   int perMetre = 0);
