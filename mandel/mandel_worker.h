#pragma once
// The Mandelbrot worker: one thread per window that computes the picture in a spiral, on
// every core and several pixels at a time, stopped cooperatively through an atomic run flag
// that it tests before every piece of the spiral and every few thousand rounds.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

// What one run computes. The worker copies it when it starts, so the view may change
// while it runs.
struct MandelRun {
    uint8_t* BmpData = nullptr;  // Ysize rows of `stride` bytes, one colour index per pixel
    int Xsize = 0;
    int Ysize = 0;
    int stride = 0;
    double fltR = 0.0;  // corner: column 0
    double fltI = 0.0;  // corner: row 0 (the top row)
    double fltSide = 0.0;
    int MndlMaxColors = 256;
    int MndlRepaint = 500;                    // ms between repaint requests
    int32_t MndlIteration = 0;                // the iteration limit, fixed for the run
    int threads = 0;                          // at most this many at once; 0: as many as allowed
};

class MandelWorker {
public:
    struct Callbacks {
        // Both run on the worker thread; the window turns them into queued calls.
        std::function<void(unsigned run)> repaint;
        std::function<void(unsigned run, uint32_t ms)> finished;
        // Millisecond tick count; a steady clock when empty.
        std::function<uint32_t()> tick;
    };

    explicit MandelWorker(Callbacks cb = {});
    ~MandelWorker();  // stops and joins
    MandelWorker(const MandelWorker&) = delete;
    MandelWorker& operator=(const MandelWorker&) = delete;

    // Stops a run still going (it reports nothing), then starts a new one; returns its number,
    // or 0 when no thread could be started (out of memory).
    unsigned StartNew(const MandelRun& r);
    // Clears the run flag and joins; a stopped run reports no finish.
    void stop();
    // Waits for the current run to end by itself.
    void wait();
    // For a finish report: joins the finished thread and returns true when `run` is the
    // current run; false for a late report of an earlier run (the current one is left alone).
    bool acceptFinish(unsigned run);

    bool running() const { return ThreadRunning.load(std::memory_order_acquire); }
    bool hasThread() const { return Thread.joinable(); }
    unsigned run() const { return runNumber; }
    // Milliseconds of the last finished run (valid once it is joined).
    uint32_t Timer() const { return timerMs.load(std::memory_order_relaxed); }

private:
    void ThreadFunc(MandelRun r, unsigned run);
    uint32_t now() const;

    Callbacks cb;
    std::thread Thread;
    std::atomic<bool> ThreadRunning{false};
    unsigned runNumber = 0;
    std::atomic<uint32_t> timerMs{0};
};

// The current millisecond tick of a steady clock.
uint32_t TickCount();

// Copies pixels the worker may be writing (the progress display reads a running picture).
void CopyPixels(const uint8_t* src, uint8_t* dst, size_t n);
