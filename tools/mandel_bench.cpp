// Times the main Mandelbrot view computed by the worker (spiral pieces on every core, SIMD
// lanes) and by a plain row-by-row scalar loop, checks that both give the same picture, times
// how long a restart waits for a busy worker to stop, and tells how far its depth picture spreads.
// usage: mandel_bench [WIDTH HEIGHT [REPEATS]]   (ORVALIS_THREADS limits the threads)
#include "mandel/escape_counts.h"
#include "mandel/mandel_calc.h"
#include "mandel/mandel_view.h"
#include "mandel/mandel_worker.h"
#include "platform/parallel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
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
    MandelRun r{px.data(), W, H, stride, kMainView.fltR, kMainView.fltI, kMainView.fltSide, 256, 500, iterations};
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
    const int stride = MandelStride(W);
    std::printf("main view %dx%d, best of %d, %d threads, SIMD %s\n", W, H, repeats, ParallelThreads(),
                EscapeCountTargetName(EscapeCountTargets().front()).c_str());
    std::printf("%10s %12s %12s %10s %s\n", "iterations", "plain ms", "worker ms", "speed-up", "same picture");
    for (int32_t iterations : {256, 4096}) {
        std::vector<uint8_t> a(size_t(stride) * size_t(H)), b(a.size());
        double plain = 1e300, worker = 1e300;
        // Alternate the two so a busy machine hurts both alike.
        for (int k = 0; k < repeats; ++k) {
            plain = std::min(plain, PlainLoop(W, H, stride, iterations, a));
            worker = std::min(worker, Worker(W, H, stride, iterations, b));
        }
        std::printf("%10d %12.1f %12.1f %9.1fx %s\n", iterations, plain, worker, plain / worker, a == b ? "yes" : "NO");
    }
    // A restart stops the running worker first: the longest wait of 20, each after 30 ms of
    // points deep inside the set.
    std::vector<uint8_t> px(size_t(stride) * size_t(H));
    const int32_t endless = 100000000;
    MandelWorker w;
    std::vector<double> waits;
    for (int k = 0; k < 20; ++k) {
        w.StartNew({px.data(), W, H, stride, -0.3, -0.2, 0.4, 256, 500, endless});
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const auto t0 = std::chrono::steady_clock::now();
        w.stop();
        waits.push_back(Millis(std::chrono::steady_clock::now() - t0));
    }
    std::sort(waits.begin(), waits.end());
    std::printf("restart: a busy worker stopped in %.2f ms (median of 20), %.2f ms at most\n", waits[10], waits.back());
    // How much of the relief the depth picture's detail takes: the 5th to 95th percentile of the
    // points outside the set.
    std::vector<uint16_t> depth = MandelDepth(kMainView.fltR, kMainView.fltI, kMainView.fltSide, W, H, 256), outside;
    for (uint16_t g : depth)
        if (g != 65535) outside.push_back(g);
    std::sort(outside.begin(), outside.end());
    if (!outside.empty())
        std::printf("depth: the middle 90%% of the points outside the set spans %.1f%% of the relief\n",
                    100.0 * (outside[outside.size() * 95 / 100] - outside[outside.size() * 5 / 100]) / 65535.0);
    return 0;
}
