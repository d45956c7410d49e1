#include "mandel/mandel_calc.h"

#include "platform/parallel.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// The escape loop; `norm` receives |z|^2 of the value that escaped (above 4) when the count is not 0.
inline int Escape(double cr, double ci, const int32_t& MndlIteration, double& norm) {
    // The window's dialog may store a new limit while a worker runs.
    std::atomic_ref<int32_t> limit(const_cast<int32_t&>(MndlIteration));
    double zr = cr, zi = ci, a = 0.0, b = 0.0;
    int n = 0;
    // The squares of the previous value serve the test and the next update alike.
    while (a + b <= 4.0 && n < limit.load(std::memory_order_relaxed)) {
        a = zr * zr;
        b = zi * zi;
        zi = zr * zi * 2.0 + ci;
        zr = a - b + cr;
        ++n;
    }
    norm = a + b;
    return n == limit.load(std::memory_order_relaxed) ? 0 : n;
}

}  // namespace

int fCalcMandel(double cr, double ci, const int32_t& MndlIteration) {
    double norm;
    return Escape(cr, ci, MndlIteration, norm);
}

float SmoothEscapeCount(double cr, double ci, int32_t iterations) {
    double norm = 0.0;
    const int n = Escape(cr, ci, iterations, norm);
    if (n == 0) return 0.0f;
    // |z| runs from 2 (just escaped: the band's far end) to 4 (about to take one more round);
    // the rare larger values near c = -2 stay at the band's start so bands never overlap.
    // A view far off the plane can give NaN, which must not reach the sort.
    const double f = 1.0 - std::log2(0.5 * std::log2(norm));
    return float(n) + float(f >= 0.0 ? std::min(f, 0.999) : 0.0);
}

std::vector<uint16_t> MandelDepth(double fltR, double fltI, double fltSide, int W, int H, int32_t iterations) {
    const size_t w = size_t(std::max(W, 0)), count = w * size_t(std::max(H, 0));
    std::vector<float> nu(count);
    ParallelFor(0, std::max(H, 0), 8, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < W; ++x)
                nu[size_t(y) * w + size_t(x)] = SmoothEscapeCount(fltR + x * fltSide / H, fltI + y * fltSide / H, iterations);
    });
    // Equalised over the view's own outside points: each takes its share of them that lies farther
    // (ties counted half), so every view spreads its detail over the whole relief, whatever its
    // zoom and limit. The set (count 0) is nearest.
    std::vector<float> sorted;
    sorted.reserve(count);
    for (float v : nu)
        if (v != 0.0f) sorted.push_back(v);
    std::sort(sorted.begin(), sorted.end());
    const double outside = double(sorted.size());
    std::vector<uint16_t> g(count, 65535);
    ParallelFor(0, int(std::max(H, 0)), 8, [&](int y0, int y1) {
        for (size_t i = size_t(y0) * w; i < size_t(y1) * w; ++i) {
            if (nu[i] == 0.0f) continue;
            const auto [lo, hi] = std::equal_range(sorted.begin(), sorted.end(), nu[i]);
            const double below = double(lo - sorted.begin()) + 0.5 * double(hi - lo);
            g[i] = uint16_t(below * 65534.0 / outside);
        }
    });
    return g;
}
