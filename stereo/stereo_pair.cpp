#include "stereo/stereo_pair.h"

#include "platform/parallel.h"
#include "stereo/depth_rows.h"
#include "stereo/stereo_options.h"
#include "stereo/stereo_pictures.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr int kDepthUnits = 4000;  // the finest relief the depth reader gives

// Red-cyan least-squares anaglyph matrices (rows: output red, green, blue; columns: input
// red, green, blue), from E. Dubois, "A projection method to generate anaglyph stereo images",
// Proc. IEEE ICASSP 2001, with the values as commonly published for red-cyan glasses.
constexpr double kDuboisLeft[3][3] = {{0.456, 0.500, 0.176}, {-0.040, -0.038, -0.016}, {-0.015, -0.021, -0.005}};
constexpr double kDuboisRight[3][3] = {{-0.043, -0.088, -0.002}, {0.378, 0.734, -0.018}, {-0.072, -0.113, 1.226}};

}  // namespace

bool PairLayoutOfName(const std::string& name, PairLayout& layout) {
    for (PairLayout l : {PairLayout::SideBySide, PairLayout::Cross, PairLayout::Anaglyph})
        if (name == PairLayoutName(l)) {
            layout = l;
            return true;
        }
    return false;
}

const char* PairLayoutName(PairLayout layout) {
    switch (layout) {
    case PairLayout::Cross: return "cross";
    case PairLayout::Anaglyph: return "anaglyph";
    default: return "side-by-side";
    }
}

double PairStrength(const PairOptions& opts, int width) { return opts.strength > 0 ? opts.strength : 0.03 * width; }

std::vector<float> PairDepth(const Image32& depth, int depthMode, int width, int height) {
    StereoOptions o;
    o.DepthMode = depthMode;
    o.relief = kDepthUnits;
    const DepthRows rows(DepthOf(ViewOf(depth)), o, width, height);
    std::vector<float> out(size_t(width) * size_t(height));
    std::vector<int32_t> row(size_t(width) + 1);
    for (int y = 0; y < height; ++y) {
        rows.Row(height - 1 - y, row.data());
        float* d = out.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) d[x] = float(row[size_t(x)]) / kDepthUnits;
    }
    return out;
}

Image32 EyeView(const Image32& picture, const std::vector<float>& depth, double strength, int eye) {
    const int w = picture.width, h = picture.height;
    Image32 out(w, h);
    ParallelFor(0, h, 16, [&](int y0, int y1) {
        std::vector<float> z(static_cast<size_t>(w));
        for (int y = y0; y < y1; ++y) {
            const size_t at = size_t(y) * size_t(w);
            const uint32_t* src = picture.px.data() + at;
            const float* d = depth.data() + at;
            uint32_t* dst = out.px.data() + at;
            std::fill(z.begin(), z.end(), -1.f);
            for (int x = 0; x < w; ++x) {
                const long t = x - std::lround(eye * strength * d[x] / 2);
                if (t < 0 || t >= w || z[size_t(t)] >= d[x]) continue;
                z[size_t(t)] = d[x];
                dst[t] = src[x];
            }
            // A hole opens where a near surface moved off the background: the farther side fills it.
            for (int x = 0; x < w;) {
                if (z[size_t(x)] >= 0) {
                    ++x;
                    continue;
                }
                int end = x;
                while (end < w && z[size_t(end)] < 0) ++end;
                const bool left = x > 0, right = end < w;
                if (left || right) {
                    const int from = !right || (left && z[size_t(x - 1)] <= z[size_t(end)]) ? x - 1 : end;
                    std::fill(dst + x, dst + end, dst[from]);
                } else {
                    std::copy(src, src + w, dst);  // nothing landed on this row at all
                }
                x = end;
            }
        }
    });
    return out;
}

Image32 Anaglyph(const Image32& left, const Image32& right) {
    Image32 out(left.width, left.height);
    for (size_t i = 0; i < out.px.size(); ++i) {
        const uint32_t l = left.px[i], r = right.px[i];
        const double lc[3] = {double(l >> 16 & 0xFF), double(l >> 8 & 0xFF), double(l & 0xFF)};
        const double rc[3] = {double(r >> 16 & 0xFF), double(r >> 8 & 0xFF), double(r & 0xFF)};
        uint32_t px = 0;
        for (int c = 0; c < 3; ++c) {
            double v = 0;
            for (int k = 0; k < 3; ++k) v += kDuboisLeft[c][k] * lc[k] + kDuboisRight[c][k] * rc[k];
            px = px << 8 | uint32_t(std::clamp(std::lround(v), 0L, 255L));
        }
        out.px[i] = px;
    }
    return out;
}

bool MakeStereoPair(const Image32& picture, const Image32& depth, const PairOptions& opts, Image32& out,
                    std::string& why) {
    if (picture.empty() || depth.empty()) {
        why = "an empty picture";
        return false;
    }
    try {
        const int w = picture.width, h = picture.height;
        const std::vector<float> d = PairDepth(depth, opts.depthMode, w, h);
        const double strength = PairStrength(opts, w);
        const Image32 left = EyeView(picture, d, strength, -1), right = EyeView(picture, d, strength, 1);
        if (opts.layout == PairLayout::Anaglyph) {
            out = Anaglyph(left, right);
            return true;
        }
        Image32 pair(2 * w, h);
        const Image32& first = opts.layout == PairLayout::Cross ? right : left;
        const Image32& second = opts.layout == PairLayout::Cross ? left : right;
        for (int y = 0; y < h; ++y) {
            const size_t at = size_t(y) * size_t(w);
            std::copy_n(first.px.data() + at, w, pair.px.data() + 2 * at);
            std::copy_n(second.px.data() + at, w, pair.px.data() + 2 * at + size_t(w));
        }
        out = std::move(pair);
        return true;
    } catch (const std::bad_alloc&) {
        why = "not enough memory";
        return false;
    }
}
