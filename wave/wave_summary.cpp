#include "wave/wave_summary.h"

#include "wave/wave_format.h"

#include <algorithm>

std::vector<ColumnRange> SummarizeChannel(const uint8_t* data, uint32_t F, int k, int W) {
    std::vector<ColumnRange> cols(size_t(std::max(W, 0)) + 1);
    if (W <= 0 || F == 0 || !data) return cols;
    const double step = double(W) / double(F);
    int prevCol = -1;
    int16_t prev = 0;
    for (uint32_t i = 0; i < F; ++i) {
        int c = std::min(int(double(i) * step), W);
        int16_t s = FrameSample(data, i, k);
        ColumnRange& r = cols[size_t(c)];
        if (c != prevCol) {
            r.lo = r.hi = s;
            if (prevCol >= 0) {  // the segment from the column before ends here
                r.lo = std::min(r.lo, prev);
                r.hi = std::max(r.hi, prev);
            }
            r.used = true;
            prevCol = c;
        } else {
            r.lo = std::min(r.lo, s);
            r.hi = std::max(r.hi, s);
        }
        prev = s;
    }
    return cols;
}
