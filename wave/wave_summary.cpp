#include "wave/wave_summary.h"

#include "wave/wave_format.h"

#include <algorithm>

namespace {

// Samples of a size known at compile time; Align 0 takes the frame size at run time, 16-bit
// stereo has it fixed.
template <int Bytes, size_t Align>
struct Reader {
    const uint8_t* base;
    size_t align;
    int16_t operator()(uint64_t j) const { return Sample16(base + j * (Align ? Align : align), Bytes); }
};

template <int Bytes, size_t Align = 0>
void Summarize(const uint8_t* data, const SampleLayout& L, uint32_t F, int W, std::vector<ColumnRange>& left,
               std::vector<ColumnRange>& right) {
    const Reader<Bytes, Align> AtL{data + L.offset(0), L.align}, AtR{data + L.offset(1), L.align};
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
        int16_t loL = AtL(i), hiL = loL, loR = AtR(i), hiR = loR;
        for (uint64_t j = i + 1; j < end; ++j) {
            const int16_t l = AtL(j), r = AtR(j);
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
        prevL = AtL(end - 1);
        prevR = AtR(end - 1);
        i = uint32_t(end);
    }
}

}  // namespace

void SummarizeChannels(const uint8_t* data, const SampleLayout& L, uint32_t F, int W, std::vector<ColumnRange>& left,
                       std::vector<ColumnRange>& right) {
    left.assign(size_t(std::max(W, 0)) + 1, ColumnRange{});
    right.assign(left.size(), ColumnRange{});
    if (W <= 0 || F == 0 || !data || !L.valid()) return;
    switch (L.bytes) {
    case 1: Summarize<1>(data, L, F, W, left, right); break;
    case 2:
        if (L.align == 4) Summarize<2, 4>(data, L, F, W, left, right);
        else Summarize<2>(data, L, F, W, left, right);
        break;
    case 3: Summarize<3>(data, L, F, W, left, right); break;
    default: Summarize<4>(data, L, F, W, left, right); break;
    }
}
