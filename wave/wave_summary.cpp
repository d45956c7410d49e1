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

std::vector<ColumnRange> SummarizeChannel(const uint8_t* data, uint32_t F, int k, int W) {
    std::vector<ColumnRange> cols(size_t(std::max(W, 0)) + 1);
    if (W <= 0 || F == 0 || !data) return cols;
    const double step = double(W) / double(F);
    auto column = [&](uint32_t i) { return std::min(int(double(i) * step), W); };
    // Frames of one column form a run; each run is scanned without per-frame column maths.
    const uint8_t* s = data + k * 2;
    uint32_t i = 0;
    int16_t prev = 0;
    while (i < F) {
        const int c = column(i);
        // The run ends at the first frame of a later column; the estimate is corrected
        // with the same expression that placed frame i.
        uint64_t end = std::min<uint64_t>(F, uint64_t(double(c + 1) / step));
        while (end > i + 1 && column(uint32_t(end - 1)) > c) --end;
        while (end < F && column(uint32_t(end)) == c) ++end;
        int16_t lo = At(s, i), hi = lo;
        for (uint64_t j = i + 1; j < end; ++j) {
            const int16_t v = At(s, j);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        if (i > 0) {  // the segment from the column before ends here
            lo = std::min(lo, prev);
            hi = std::max(hi, prev);
        }
        cols[size_t(c)] = {lo, hi, true};
        prev = At(s, end - 1);
        i = uint32_t(end);
    }
    return cols;
}
