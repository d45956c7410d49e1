#include "wave/wave_summary.h"

#include "wave/wave_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {
static_assert(std::endian::native == std::endian::little, "samples are read in place");
inline int16_t At(const uint8_t* p, uint64_t j) {
    int16_t v;
    std::memcpy(&v, p + j * 4, 2);
    return v;
}
}  // namespace

void SummarizeChannels(const uint8_t* data, uint32_t F, int W, std::vector<ColumnRange>& left,
                       std::vector<ColumnRange>& right) {
    left.assign(size_t(std::max(W, 0)) + 1, ColumnRange{});
    right.assign(left.size(), ColumnRange{});
    if (W <= 0 || F == 0 || !data) return;
    const double step = double(W) / double(F);
    auto column = [&](uint32_t i) { return std::min(int(double(i) * step), W); };
    // Frames of one column form a run; each run is scanned without per-frame column maths.
    uint32_t i = 0;
    int16_t prevL = 0, prevR = 0;
    while (i < F) {
        const int c = column(i);
        // The run ends at the first frame of a later column; the estimate is corrected
        // with the same expression that placed frame i.
        uint64_t end = std::min<uint64_t>(F, uint64_t(double(c + 1) / step));
        while (end > i + 1 && column(uint32_t(end - 1)) > c) --end;
        while (end < F && column(uint32_t(end)) == c) ++end;
        int16_t loL = At(data, i), hiL = loL, loR = At(data + 2, i), hiR = loR;
        for (uint64_t j = i + 1; j < end; ++j) {
            const int16_t l = At(data, j), r = At(data + 2, j);
            loL = std::min(loL, l);
            hiL = std::max(hiL, l);
            loR = std::min(loR, r);
            hiR = std::max(hiR, r);
        }
        if (i > 0) {  // the segment from the column before ends here
            loL = std::min(loL, prevL);
            hiL = std::max(hiL, prevL);
            loR = std::min(loR, prevR);
            hiR = std::max(hiR, prevR);
        }
        left[size_t(c)] = {loL, hiL, true};
        right[size_t(c)] = {loR, hiR, true};
        prevL = At(data, end - 1);
        prevR = At(data + 2, end - 1);
        i = uint32_t(end);
    }
}

std::vector<ColumnRange> SummarizeChannel(const uint8_t* data, uint32_t F, int k, int W) {
    std::vector<ColumnRange> left, right;
    SummarizeChannels(data, F, W, left, right);
    return k == 0 ? left : right;
}
