#include "mandel/mandel_calc.h"

#include <algorithm>
#include <atomic>

int fCalcMandel(double cr, double ci, const int32_t& MndlIteration) {
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
    return n == limit.load(std::memory_order_relaxed) ? 0 : n;
}

std::vector<uint16_t> MandelDepth(double fltR, double fltI, double fltSide, int W, int H, int32_t iterations) {
    std::vector<uint16_t> g(size_t(std::max(W, 0)) * size_t(std::max(H, 0)));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int n = fCalcMandel(fltR + x * fltSide / H, fltI + y * fltSide / H, iterations);
            g[size_t(y) * size_t(W) + size_t(x)] = n == 0 ? 65535 : uint16_t(int64_t(n) * 65535 / iterations);
        }
    return g;
}
