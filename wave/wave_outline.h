#pragma once
// The outline figure: points clicked in the outline view and the samples made from them.
#include "wave/wave_format.h"

#include <cstdint>

// Outline coordinate of client pixel p in a client extent of `extent` pixels:
// (65535 / extent) * (extent / 2 - p), integer arithmetic, division first.
int OutlineCoordinate(int extent, int p);

// Appends the point at the client position packed in packedPos (x low 16 bits, y high 16
// bits, both unsigned) for a client area of W x H. The array starts at 128 ints and grows
// by 128 whenever the new point would take its last two ints. A client area without
// width or height takes no point.
void AddOutlinePoint(WaveState& wd, int W, int H, uint32_t packedPos);

// Overwrites the samples with the outline traced once over the whole sound: n - 1
// segments of F / (n - 1) frames from the first point to the last, the closing segment
// back to the first point gets what remains. Frames keep the file's format: X goes to the
// left (a mono file's only) channel, Y to the right, scaled from the 16-bit range. Returns false (and changes nothing) for an
// outline of fewer than two points or a sound without a whole frame.
bool MakeOutlineForm(WaveState& wd);
