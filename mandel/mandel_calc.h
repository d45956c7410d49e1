#pragma once
// Escape counts, colour indices and the spiral order of the Mandelbrot worker.
#include <cstdint>
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

// Visits every pixel of a W x H picture once, from the border inwards: along the top row,
// down the right column, back along the bottom row, up the left column, then the next ring.
// `pixel(x, y)` returns false to stop the walk; `ringDone()` runs after each complete ring
// when pixels remain. Returns true when the walk completed.
template <class Pixel, class RingDone>
bool SpiralWalk(int W, int H, Pixel&& pixel, RingDone&& ringDone) {
    if (W <= 0 || H <= 0) return true;
    int x = 0, y = 0, direction = 0;
    int minx = 0, miny = 0, maxx = W - 1, maxy = H - 1;
    for (;;) {
        if (!pixel(x, y)) return false;
        bool turned = true;
        switch (direction) {
        case 0:
            if (x < maxx) { ++x; turned = false; }
            else { direction = 1; ++miny; ++y; }
            break;
        case 1:
            if (y < maxy) { ++y; turned = false; }
            else { direction = 2; --maxx; --x; }
            break;
        case 2:
            if (x > minx) { --x; turned = false; }
            else { direction = 3; --maxy; --y; }
            break;
        default:
            if (y > miny) { --y; turned = false; }
            else { direction = 0; ++minx; ++x; }
            break;
        }
        if (!turned) continue;
        if (miny > maxy || minx > maxx) return true;
        if (direction == 0) ringDone();
    }
}

// The depth picture of a view for a stereogram, W x H, top row first: 65535 inside the set
// (count 0), n x 65535 / iterations for a point that escaped after n rounds. Pixel (x, y) is
// the point the worker computes for it.
std::vector<uint16_t> MandelDepth(double fltR, double fltI, double fltSide, int W, int H, int32_t iterations);
