#include "gl/depth_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kFlat = 1.0f / 4096;  // window depth

// Distance from the eye of a window depth: undoes the perspective division (for an orthographic
// projection window depth is already linear in distance).
double EyeDistance(double d, const double* m) {
    if (m[11] == 0.0) return d;
    return m[14] / ((2.0 * d - 1.0) + m[10]);
}

}  // namespace

std::vector<uint16_t> DepthBufferToGrey16(const float* depth, int w, int h, const double projection[16]) {
    const size_t count = size_t(std::max(w, 0)) * size_t(std::max(h, 0));
    std::vector<double> dist(count, std::numeric_limits<double>::quiet_NaN());  // NaN: nothing drawn
    double nearest = std::numeric_limits<double>::infinity(), farthest = -nearest;
    float lowest = 1.0f, highest = 0.0f;
    for (size_t i = 0; i < count; ++i)
        if (depth[i] < 1.0f) {
            dist[i] = EyeDistance(depth[i], projection);
            nearest = std::min(nearest, dist[i]);
            farthest = std::max(farthest, dist[i]);
            lowest = std::min(lowest, depth[i]);
            highest = std::max(highest, depth[i]);
        }
    std::vector<uint16_t> grey(count, 0);
    // A scene flat to within a few steps of the depth buffer (such as a face seen head-on, whose
    // edges the polygon offset draws a step nearer) is all nearest.
    const double span = highest - lowest < kFlat ? 0.0 : farthest - nearest;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = dist[size_t(y) * size_t(w) + size_t(x)];
            if (std::isnan(v)) continue;
            const double g = span > 0 ? (farthest - v) / span * 65535.0 : 65535.0;
            grey[size_t(h - 1 - y) * size_t(w) + size_t(x)] = uint16_t(std::lround(std::clamp(g, 0.0, 65535.0)));
        }
    return grey;
}
