#pragma once
// Per-column summary of a channel for drawing long sounds: each column keeps the lowest
// and highest sample of the frames that fall on it, widened by the last frame of the
// column before, so a vertical line per column covers what the frame-by-frame trace does.
#include "wave/wave_format.h"

#include <cstdint>
#include <vector>

struct ColumnRange {
    int16_t lo = 0;
    int16_t hi = 0;
    bool used = false;   // some frame falls on this column
};

// Column of frame i when F frames span W columns (x = i * W / F, truncated).
inline int FrameColumn(uint32_t i, uint32_t F, int W) { return int(double(i) * (double(W) / double(F))); }

// Summaries of the left and right channel (a mono sound's one channel in both) of F frames
// over W columns, in one pass over the data; samples scaled to 16 bits.
void SummarizeChannels(const uint8_t* data, const SampleLayout& L, uint32_t F, int W, std::vector<ColumnRange>& left,
                       std::vector<ColumnRange>& right);
