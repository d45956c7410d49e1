// The worker's threads; these also run under ThreadSanitizer (label tsan).
#include "mandel/mandel_calc.h"
#include "mandel/mandel_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr uint8_t kUntouched = 0xEE;
constexpr int32_t kEndless = 200000;  // points inside the set with this limit: a run of hours

struct Picture {
    int W, H, stride;
    std::vector<uint8_t> bytes;
    Picture(int w, int h) : W(w), H(h), stride((w + 3) & ~3), bytes(size_t(stride) * size_t(h), kUntouched) {}
    MandelRun run(double r, double i, double side, int32_t iterations, int colours = 256, int repaint = 500,
                  int threads = 0) {
        return {bytes.data(), W, H, stride, r, i, side, colours, repaint, iterations, threads};
    }
    size_t written() const { return bytes.size() - size_t(std::count(bytes.begin(), bytes.end(), kUntouched)); }
};

// Finish reports (run, milliseconds) as the window's queue receives them.
struct Reports {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::pair<unsigned, uint32_t>> finished;
    MandelWorker::Callbacks callbacks() {
        return {[](unsigned) {}, [this](unsigned run, uint32_t ms) {
                    std::lock_guard lock(m);
                    finished.emplace_back(run, ms), cv.notify_all();
                }, {}};
    }
    std::pair<unsigned, uint32_t> waitFinish() {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return !finished.empty(); });
        const auto f = finished.front();
        return finished.erase(finished.begin()), f;
    }
    size_t pending() {
        std::lock_guard lock(m);
        return finished.size();
    }
};

TEST(MandelWorker, WritesTheColourIndexOfEveryPixelThatCanBeReadWhileItComputes) {
    const int32_t iterations = 300;
    struct Case { int W, H, colours; double r, i, side; } cases[] = {
        {37, 23, 256, -2.0, -1.1338, 2.27}, {37, 23, 16, -0.75, -0.1, 0.05}, {1, 9, 4, -2.2, -1.0, 2.0},
        {301, 203, 64, -0.7455, 0.1102, 0.004}};
    for (const Case& c : cases) {
        Picture pic(c.W, c.H);
        Reports reports;
        MandelWorker worker(reports.callbacks());
        const unsigned run = worker.StartNew(pic.run(c.r, c.i, c.side, iterations, c.colours));
        EXPECT_EQ(reports.waitFinish().first, run);
        EXPECT_TRUE(worker.acceptFinish(run) && !worker.running());
        Picture expected(c.W, c.H);  // the row padding untouched
        for (int y = 0; y < c.H; ++y) for (int x = 0; x < c.W; ++x)
            expected.bytes[size_t(y * pic.stride + x)] =
                uint8_t(ColourIndex(fCalcMandel(c.r + x * c.side / c.H, c.i + y * c.side / c.H, iterations), c.colours - 1));
        EXPECT_EQ(pic.bytes, expected.bytes) << c.W << "x" << c.H;
    }
    // The picture can be read while it computes.
    int32_t limit = 2000;
    Picture big(200, 150);
    Reports reports;
    MandelWorker worker(reports.callbacks());
    worker.StartNew(big.run(-2.0, -1.1338, 2.27, limit, 256, 1));
    std::vector<uint8_t> shown(big.bytes.size());
    for (int k = 0; k < 20; ++k) CopyPixels(big.bytes.data(), shown.data(), shown.size());
    reports.waitFinish();
    EXPECT_TRUE(worker.acceptFinish(worker.run()));
    CopyPixels(big.bytes.data(), shown.data(), shown.size());
    EXPECT_EQ(shown, big.bytes);
}

// Columns: name, the clock's readings, pixels written at each repaint, the time reported.
TEST(MandelWorker, AsksForARepaintOnlyAtARingsEndOnceTheIntervalHasPassed) {
    // A 10 x 8 picture has rings of 32, 24, 16 and 8 pixels; the clock is read at the start,
    // after the first three rings and at the end. Interval 500 ms, one thread.
    struct Case { const char* name; std::vector<uint32_t> ticks; std::vector<size_t> pixelsAtRepaint; uint32_t timer; } cases[] = {
        {"slow first ring", {1000, 1600, 1700, 2101, 2200}, {32, 72}, 1200},
        {"repaint time reached exactly is not past", {1000, 1500, 1700, 2000, 2000}, {56}, 1000},
        {"fast run", {1000, 1001, 1002, 1003, 1004}, {}, 4},
        {"tick count wraps", {0xFFFFFF00u, 0x100u, 0x101u, 0x102u, 0x110u}, {32}, 0x210u}};
    const int32_t iterations = 50;
    for (const Case& c : cases) {
        Picture pic(10, 8);
        std::vector<size_t> seen;
        size_t nextTick = 0;
        uint32_t reported = 0;
        MandelWorker worker({[&](unsigned) { seen.push_back(pic.written()); },  // on the worker thread
                             [&](unsigned, uint32_t ms) { reported = ms; },
                             [&] { return nextTick < c.ticks.size() ? c.ticks[nextTick++] : c.ticks.back(); }});
        worker.StartNew(pic.run(5.0, 5.0, 1.0, iterations, 256, 500, 1));  // every point escapes at once
        worker.wait();
        EXPECT_EQ(seen, c.pixelsAtRepaint) << c.name;
        EXPECT_EQ(nextTick, c.ticks.size()) << c.name << ": the clock is read once per ring, not per pixel";
        EXPECT_EQ(std::make_pair(reported, worker.Timer()), std::make_pair(c.timer, c.timer)) << c.name;
    }
}

TEST(MandelWorker, AStopTakesEffectBeforeTheNextPixel) {
    // The test stops the single-thread worker at the first ring end's repaint; not a pixel of
    // the second ring may follow.
    const int32_t iterations = 50;
    Picture pic(10, 8);
    Reports reports;
    MandelWorker::Callbacks cb = reports.callbacks();
    std::atomic<bool> atRing{false};
    MandelWorker* self = nullptr;
    cb.tick = [t = uint32_t(0)]() mutable { return t += 1000; };
    cb.repaint = [&](unsigned) {
        atRing = true;
        while (self->running()) std::this_thread::yield();
    };
    MandelWorker worker(cb);
    self = &worker;
    worker.StartNew(pic.run(5.0, 5.0, 1.0, iterations, 256, 1, 1));
    while (!atRing) std::this_thread::yield();
    worker.stop();
    EXPECT_FALSE(worker.running() || worker.hasThread());
    EXPECT_EQ(std::make_pair(pic.written(), reports.pending()), std::make_pair(size_t(32), size_t(0)));
}

TEST(MandelWorker, NoFinishComesAfterAStop) {
    Reports reports;
    // Stopped right after its start, a run that completed before the stop reports once; after
    // stop() returns nothing more comes.
    Picture tiny(3, 2);
    MandelWorker quick(reports.callbacks());
    for (int k = 0; k < 300; ++k) {
        const unsigned run = quick.StartNew(tiny.run(-2.0, -1.0, 2.0, 50));
        if (k % 2) std::this_thread::yield();
        quick.stop();
        const size_t n = reports.pending();
        ASSERT_LE(n, 1u);
        if (n) { EXPECT_EQ(reports.waitFinish().first, run); }
    }
}

TEST(MandelWorker, OnlyTheCurrentRunsFinishIsAccepted) {
    const int32_t iterations = 100;
    Picture quick(16, 12), slow(300, 300);
    Reports reports;
    MandelWorker worker(reports.callbacks());
    // Restarting a running worker: only the new run reports.
    worker.StartNew(slow.run(-0.1, -0.1, 0.2, kEndless));
    const unsigned first = worker.StartNew(quick.run(-2.0, -1.0, 2.0, iterations));
    const auto report = reports.waitFinish();  // still queued while the user zooms
    EXPECT_TRUE(report.first == first && reports.pending() == 0);
    EXPECT_NE(worker.StartNew(slow.run(-0.1, -0.1, 0.2, kEndless)), first);
    EXPECT_FALSE(worker.acceptFinish(report.first));
    EXPECT_TRUE(worker.running() && worker.hasThread());
    worker.stop();
    EXPECT_EQ(reports.pending(), 0u);
    // Accepting the current run's finish joins it and keeps its time.
    const unsigned third = worker.StartNew(quick.run(-2.0, -1.0, 2.0, iterations));
    const auto last = reports.waitFinish();
    EXPECT_TRUE(last.first == third && worker.acceptFinish(third) && !worker.hasThread());
    EXPECT_EQ(last.second, worker.Timer());
}

TEST(MandelWorker, ARunWithoutPictureMemoryFinishesAtOnce) {
    Reports reports;
    MandelWorker worker(reports.callbacks());
    const unsigned empty = worker.StartNew({nullptr, 5, 5, 0, -2, -1, 2, 256, 500, 100});
    EXPECT_TRUE(reports.waitFinish().first == empty && worker.acceptFinish(empty));
}

}  // namespace
