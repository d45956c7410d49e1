#include "stereo/depth_filters.h"

#include "platform/parallel.h"

#include <algorithm>
#include <cmath>
#include <limits>


namespace {

// One line of squared distances f (n of them, `step` apart) replaced by
// min over q of (p - q)^2 + f(q); v, z and d are work space of n, n + 1 and n entries.
void Envelope(float* f, size_t step, int n, std::vector<int>& v, std::vector<double>& z, std::vector<float>& d) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    int k = -1;
    for (int q = 0; q < n; ++q) {
        const double fq = f[q * step];
        if (!std::isfinite(fq)) continue;
        double s = -inf;
        while (k >= 0) {
            const int r = v[k];
            s = ((fq + double(q) * q) - (f[r * step] + double(r) * r)) / (2.0 * (q - r));
            if (s > z[k]) break;
            --k;
        }
        ++k;
        v[k] = q;
        z[k] = k == 0 ? -inf : s;
        z[k + 1] = inf;
    }
    if (k < 0) return;  // nothing finite on the line: the other pass measures it
    for (int q = 0, j = 0; q < n; ++q) {
        while (z[j + 1] < q) ++j;
        const double dq = double(q - v[j]);
        d[q] = float(dq * dq + f[v[j] * step]);
    }
    for (int q = 0; q < n; ++q) f[q * step] = d[q];
}

}  // namespace

std::vector<float> SquaredDistanceToOutside(const std::vector<uint8_t>& inside, int width, int height) {
    // Outside begins one pixel beyond the border, as if the picture were framed by it.
    const int W = width + 2, H = height + 2;
    std::vector<float> f(size_t(W) * H, 0.0f);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (inside[size_t(y) * width + x]) f[size_t(y + 1) * W + x + 1] = std::numeric_limits<float>::infinity();
    ParallelFor(0, W, 16, [&](int first, int last) {
        std::vector<int> v(H);
        std::vector<double> z(H + 1);
        std::vector<float> d(H);
        for (int x = first; x < last; ++x) Envelope(&f[x], W, H, v, z, d);
    });
    ParallelFor(0, H, 16, [&](int first, int last) {
        std::vector<int> v(W);
        std::vector<double> z(W + 1);
        std::vector<float> d(W);
        for (int y = first; y < last; ++y) Envelope(&f[size_t(y) * W], 1, W, v, z, d);
    });
    std::vector<float> out(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        std::copy_n(&f[size_t(y + 1) * W + 1], width, &out[size_t(y) * width]);
    return out;
}

std::vector<uint16_t> BevelledDepth(const std::vector<uint8_t>& inside, int width, int height, double bevel) {
    const std::vector<float> d2 = SquaredDistanceToOutside(inside, width, height);
    std::vector<uint16_t> out(d2.size(), 0);
    for (size_t i = 0; i < out.size(); ++i) {
        if (!inside[i]) continue;
        const double t = bevel > 0 ? (std::sqrt(double(d2[i])) - 0.5) / bevel : 1.0;
        out[i] = uint16_t(std::clamp(std::lround(65535 * std::min(1.0, t)), 1L, 65535L));
    }
    return out;
}

std::vector<uint16_t> SmoothDepth(const std::vector<uint16_t>& depth, int width, int height, int radius) {
    if (radius <= 0) return depth;
    const double sigmaS = radius / 2.0, sigmaR = 65535.0 / 16;
    std::vector<double> space(2 * radius + 1);
    for (int k = -radius; k <= radius; ++k) space[k + radius] = std::exp(-k * k / (2 * sigmaS * sigmaS));
    // The range weight by depth difference, in steps of 16 levels.
    std::vector<double> range(4097);
    for (size_t k = 0; k < range.size(); ++k) range[k] = std::exp(-double(k * 16) * double(k * 16) / (2 * sigmaR * sigmaR));
    std::vector<uint16_t> out(depth.size());
    ParallelFor(0, height, 4, [&](int first, int last) {
        for (int y = first; y < last; ++y)
            for (int x = 0; x < width; ++x) {
                const int c = depth[size_t(y) * width + x];
                double sum = 0, weight = 0;
                for (int dy = std::max(-radius, -y); dy <= std::min(radius, height - 1 - y); ++dy)
                    for (int dx = std::max(-radius, -x); dx <= std::min(radius, width - 1 - x); ++dx) {
                        const int v = depth[size_t(y + dy) * width + x + dx];
                        const double w = space[dy + radius] * space[dx + radius] * range[std::abs(v - c) >> 4];
                        sum += w * v;
                        weight += w;
                    }
                out[size_t(y) * width + x] = uint16_t(std::lround(sum / weight));
            }
    });
    return out;
}
