#pragma once
// Escape counts, colour indices and the spiral order of the Mandelbrot worker.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// Escape count of c = cr + i*ci, or 0 when the orbit stays bounded for MndlIteration
// rounds. The limit is read at every test, so a new limit takes effect within a run.
int fCalcMandel(double cr, double ci, const int32_t& MndlIteration);

// Colour index of an escape count: 0 stays 0 (not escaped), escaped counts map into
// 1 .. mask, never 0.
inline uint8_t ColourIndex(int n, int mask) {
    if (n == 0) return 0;
    n = (n & 0xFF) & mask;
    return uint8_t(n == 0 ? 1 : n);
}

// The spiral from the border inwards as straight runs of pixels: along the top row, down
// the right column, back along the bottom row, up the left column, then the next ring.
struct SpiralRun {
    int x = 0, y = 0;    // first pixel
    int dx = 0, dy = 0;  // step to the next pixel
    int length = 0;
    bool ringEnd = false;  // the last run of a ring that another ring follows
};

class SpiralRuns {
public:
    SpiralRuns(int W, int H) : W(W), H(H), done(W <= 0 || H <= 0) {}
    // The next run in walking order; false when the picture is covered.
    bool next(SpiralRun& r);

private:
    int W, H;
    int ring = 0, side = 0;
    bool done;
};

inline bool SpiralRuns::next(SpiralRun& r) {
    if (done) return false;
    const int minx = ring, miny = ring, maxx = W - 1 - ring, maxy = H - 1 - ring;
    const int w = maxx - minx + 1, h = maxy - miny + 1;
    switch (side++) {
    case 0: r = {minx, miny, 1, 0, w, false}; return true;
    case 1:
        if (h == 1) return done = true, false;
        r = {maxx, miny + 1, 0, 1, h - 1, false};
        return true;
    case 2:
        if (w == 1) return done = true, false;
        r = {maxx - 1, maxy, -1, 0, w - 1, false};
        return true;
    default:
        if (h == 2) return done = true, false;
        r = {minx, maxy - 1, 0, -1, h - 2, w > 2};
        side = 0;
        ++ring;
        done = w <= 2;
        return true;
    }
}

// Pieces of at most this many pixels of one spiral run go to one thread at a time.
constexpr int kSpiralPiece = 256;

struct SpiralPiece {
    SpiralRun run;  // ringEnd only on a run's last piece
    uint64_t seq = 0;
};

// Hands out the spiral in order, from several threads, and notes which pieces are done, so
// the end of a ring is known once every piece up to it has finished, whichever thread
// finished last.
class SpiralPieces {
public:
    SpiralPieces(int W, int H) : runs(W, H) {}
    bool take(SpiralPiece& p) {
        std::lock_guard lock(m);
        if (left == 0) {
            if (!runs.next(current)) return exhausted = true, false;
            left = current.length;
        }
        const int n = std::min(left, kSpiralPiece);
        const int at = current.length - left;
        p.run = {current.x + at * current.dx, current.y + at * current.dy, current.dx, current.dy, n,
                 current.ringEnd && n == left};
        left -= n;
        p.seq = frontier + state.size();
        state.push_back(0);
        return true;
    }
    // Marks a piece done; returns how many ring ends became complete.
    int finish(const SpiralPiece& p) {
        std::lock_guard lock(m);
        state[size_t(p.seq - frontier)] = p.run.ringEnd ? 2 : 1;
        int rings = 0;
        for (; !state.empty() && state.front(); ++frontier, state.pop_front()) rings += state.front() == 2;
        return rings;
    }
    bool complete() {
        std::lock_guard lock(m);
        return exhausted && state.empty();
    }

private:
    std::mutex m;
    SpiralRuns runs;
    SpiralRun current;
    int left = 0;
    bool exhausted = false;
    uint64_t frontier = 0;     // the first piece not yet counted
    std::deque<uint8_t> state; // from the frontier on: 0 running, 1 done, 2 done and ends a ring
};

// Escape count with the band's fraction, n + 1 - log2(log2 |z|) from the value z that escaped
// (|z| from 2 to 4 gives 1 to 0, clamped), so counts n lie in [n, n + 1); 0 inside the set.
float SmoothEscapeCount(double cr, double ci, int32_t iterations);

// The depth picture of a view for a stereogram, W x H, top row first: 65535 inside the set
// (count 0); outside, the smooth escape counts equalised over the view's own outside points
// into 0 .. 65534, more rounds nearer (ties equal). Pixel (x, y) is the point the worker
// computes for it.
std::vector<uint16_t> MandelDepth(double fltR, double fltI, double fltSide, int W, int H, int32_t iterations);
