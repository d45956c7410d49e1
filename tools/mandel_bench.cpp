// Times the main Mandelbrot view computed by the worker (spiral walk, stop flag tested per
// pixel, ring-end clock reads) and by a plain row-by-row loop, and prints the overhead.
// usage: mandel_bench [WIDTH HEIGHT [REPEATS]]
#include "mandel/mandel_calc.h"
#include "mandel/mandel_view.h"
#include "mandel/mandel_worker.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double Millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double PlainLoop(int W, int H, int stride, const int32_t& iterations, std::vector<uint8_t>& px) {
    const auto t0 = std::chrono::steady_clock::now();
    const MandelView v = kMainView;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            px[size_t(y) * size_t(stride) + size_t(x)] =
                ColourIndex(fCalcMandel(v.fltR + x * v.fltSide / H, v.fltI + y * v.fltSide / H, iterations), 255);
    return Millis(std::chrono::steady_clock::now() - t0);
}

double Worker(int W, int H, int stride, const int32_t& iterations, std::vector<uint8_t>& px) {
    MandelRun r{px.data(), W, H, stride, kMainView.fltR, kMainView.fltI, kMainView.fltSide, 256, 500, &iterations};
    MandelWorker w;
    const auto t0 = std::chrono::steady_clock::now();
    w.StartNew(r);
    w.wait();
    return Millis(std::chrono::steady_clock::now() - t0);
}

}  // namespace

int main(int argc, char** argv) {
    const int W = argc > 2 ? std::atoi(argv[1]) : 800;
    const int H = argc > 2 ? std::atoi(argv[2]) : 600;
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    if (W <= 0 || H <= 0) {
        std::fprintf(stderr, "usage: mandel_bench [WIDTH HEIGHT [REPEATS]]\n");
        return 2;
    }
    const int stride = (W + 3) & ~3;
    std::printf("main view %dx%d, best of %d\n", W, H, repeats);
    std::printf("%10s %12s %12s %10s %s\n", "iterations", "plain ms", "worker ms", "overhead", "same picture");
    for (int32_t iterations : {256, 4096}) {
        std::vector<uint8_t> a(size_t(stride) * size_t(H)), b(a.size());
        double plain = 1e300, worker = 1e300;
        // Alternate the two so a busy machine hurts both alike.
        for (int k = 0; k < repeats; ++k) {
            plain = std::min(plain, PlainLoop(W, H, stride, iterations, a));
            worker = std::min(worker, Worker(W, H, stride, iterations, b));
        }
        std::printf("%10d %12.1f %12.1f %9.1f%% %s\n", iterations, plain, worker, (worker / plain - 1.0) * 100.0,
                    a == b ? "yes" : "NO");
    }
    return 0;
}
