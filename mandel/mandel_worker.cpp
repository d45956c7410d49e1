#include "mandel/mandel_worker.h"

#include "mandel/escape_counts.h"
#include "mandel/mandel_calc.h"
#include "platform/parallel.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <system_error>

uint32_t TickCount() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CopyPixels(const uint8_t* src, uint8_t* dst, size_t n) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = std::atomic_ref<uint8_t>(const_cast<uint8_t&>(src[i])).load(std::memory_order_relaxed);
}

MandelWorker::MandelWorker(Callbacks c) : cb(std::move(c)) {}

MandelWorker::~MandelWorker() { stop(); }

uint32_t MandelWorker::now() const { return cb.tick ? cb.tick() : TickCount(); }

unsigned MandelWorker::StartNew(const MandelRun& r) {
    stop();
    const unsigned run = ++runNumber;
    // Set before the thread exists, so a stop right after the start is never lost.
    ThreadRunning.store(true, std::memory_order_release);
    try {
        Thread = std::thread(&MandelWorker::ThreadFunc, this, r, run);
    } catch (const std::system_error&) {  // no memory for the thread's stack
        ThreadRunning.store(false, std::memory_order_release);
        return 0;
    }
    return run;
}

void MandelWorker::stop() {
    ThreadRunning.store(false, std::memory_order_release);
    if (Thread.joinable()) Thread.join();
}

void MandelWorker::wait() {
    if (Thread.joinable()) Thread.join();
}

bool MandelWorker::acceptFinish(unsigned run) {
    if (run != runNumber) return false;
    wait();
    return true;
}

void MandelWorker::ThreadFunc(MandelRun r, unsigned run) {
    const int mask = r.MndlMaxColors - 1;
    const int H = r.Ysize;
    const uint32_t start = now();
    uint32_t nextRepaint = start + uint32_t(r.MndlRepaint);
    const int32_t limit = r.MndlIteration;  // the run's own copy: a new limit waits for the next run
    if (!r.BmpData) r.Xsize = r.Ysize = 0;
    SpiralPieces pieces(r.Xsize, r.Ysize);
    std::mutex clock;

    // A repaint is asked for only at the end of a ring, and not before the interval is over.
    auto ringsDone = [&](int rings) {
        bool repaint = false;
        {
            std::lock_guard lock(clock);
            for (; rings > 0; --rings) {
                const uint32_t t = now();
                if (int32_t(t - nextRepaint) > 0) {
                    repaint = true;
                    nextRepaint = t + uint32_t(r.MndlRepaint);
                }
            }
        }
        if (repaint && cb.repaint) cb.repaint(run);
    };
    auto work = [&](int) {
        double cr[kSpiralPiece], ci[kSpiralPiece];
        int32_t counts[kSpiralPiece];
        SpiralPiece p;
        while (ThreadRunning.load(std::memory_order_relaxed) && pieces.take(p)) {
            const SpiralRun& s = p.run;
            for (int k = 0; k < s.length; ++k) {
                cr[k] = r.fltR + (s.x + k * s.dx) * r.fltSide / H;
                ci[k] = r.fltI + (s.y + k * s.dy) * r.fltSide / H;
            }
            if (!EscapeCounts(cr, ci, s.length, limit, counts, ThreadRunning)) return;
            for (int k = 0; k < s.length; ++k) {
                uint8_t* px = r.BmpData + size_t(s.y + k * s.dy) * size_t(r.stride) + size_t(s.x + k * s.dx);
                std::atomic_ref<uint8_t>(*px).store(ColourIndex(counts[k], mask), std::memory_order_relaxed);
            }
            if (const int rings = pieces.finish(p)) ringsDone(rings);
        }
    };
    const int threads = r.threads > 0 ? std::min(r.threads, ParallelThreads()) : ParallelThreads();
    RunOnThreads(threads, work);
    if (!pieces.complete()) return;

    const uint32_t ms = now() - start;
    timerMs.store(ms, std::memory_order_relaxed);
    // Whoever clears the flag first decides: a run stopped from outside reports nothing.
    if (ThreadRunning.exchange(false, std::memory_order_acq_rel) && cb.finished) cb.finished(run, ms);
}
