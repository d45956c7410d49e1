#include "wave/wave_outline.h"

#include <algorithm>
#include <cstring>
#include <new>

int OutlineCoordinate(int extent, int p) { return (65535 / extent) * (extent / 2 - p); }

void AddOutlinePoint(WaveState& wd, int W, int H, uint32_t packedPos) {
    if (W <= 0 || H <= 0) return;
    if (!wd.List) {
        wd.List.reset(new int[128]());
        wd.ListSize = 128;
    }
    if (wd.ListLen + 2 >= wd.ListSize) {
        std::unique_ptr<int[]> grown(new int[size_t(wd.ListSize) + 128]());
        std::memcpy(grown.get(), wd.List.get(), sizeof(int) * size_t(wd.ListSize));
        wd.List = std::move(grown);
        wd.ListSize += 128;
    }
    int x = int(packedPos & 0xFFFF);
    int y = int(packedPos >> 16);
    wd.List[wd.ListLen] = OutlineCoordinate(W, x);
    wd.List[wd.ListLen + 1] = OutlineCoordinate(H, y);
    wd.ListLen += 2;
}

namespace {

// A value truncated and kept to its low 16 bits, as a 16-bit sample stores it. The values
// stay within a few steps of the outline's range, far inside int.
int16_t Low16(double v) { return int16_t(uint16_t(int32_t(std::clamp(v, -2147483648.0, 2147483647.0)))); }

// Frames in the file's own format: x into the left (or only) channel, y into the right,
// any further channel silent.
struct Writer {
    uint8_t* at;
    uint8_t* end;
    SampleLayout L;
    void put(double x, double y) {
        if (at >= end) return;
        for (int c = 0; c < L.channels; ++c)
            PutSample16(at + size_t(c) * size_t(L.bytes), L.bytes, c == 0 ? Low16(x) : c == 1 ? Low16(y) : 0);
        at += L.align;
    }
};

}  // namespace

bool MakeOutlineForm(WaveState& wd) {
    const uint32_t F = wd.frames();
    const int n = wd.ListLen / 2;
    if (n < 2 || F == 0 || !wd.lpData || !wd.List) return false;
    const uint32_t insert = F / uint32_t(n - 1);
    // Fewer frames than segments leaves insert at 0; stepping by whole distances then
    // keeps every value finite.
    const double div = insert ? double(insert) : 1.0;
    Writer w{wd.lpData.get(), wd.lpData.get() + size_t(F) * LayoutOf(wd).align, LayoutOf(wd)};
    const int* L = wd.List.get();
    double x = 0, y = 0;
    for (int k = 0; k < n; ++k) {
        x = L[2 * k];
        y = L[2 * k + 1];
        int t = k + 1 < n ? k + 1 : 0;
        double xs = (L[2 * t] - x) / div, ys = (L[2 * t + 1] - y) / div;
        for (uint32_t i = 0; i < insert; ++i) {
            w.put(x, y);
            x += xs;
            y += ys;
        }
    }
    double xs = (L[0] - x) / div, ys = (L[1] - y) / div;
    while (w.at < w.end) {
        w.put(x, y);
        x += xs;
        y += ys;
    }
    return true;
}
