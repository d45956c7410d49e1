#include "stereo/decode_stereo.h"

#include "platform/parallel.h"
#include "stereo/depth_rows.h"
#include "stereo/make_stereo.h"
#include "stereo/stereo_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

// The matching window: 9 x 9 pixels (7 x 7 left oversampled stereograms less often sure). Its
// cost (three channels of up to 255 each per pixel) stays below 2^16, so the cost volume is
// kept in 16-bit lanes.
constexpr int kRx = 4, kRy = 4;
constexpr int kWindow = (2 * kRx + 1) * (2 * kRy + 1);
static_assert(kWindow * 3 * 255 < 65535);
constexpr uint16_t kNoCost = 0xFFFF;
// A window whose mean difference per channel stays below this at every separation is flat:
// it matches anywhere. The same amount softens the ratio of two small costs.
constexpr int kFlatCost = kWindow * 3 * 2;
constexpr int kSoften = kWindow * 3;
// Best cost at most this share of the best elsewhere (beyond a pixel, or two pixels when
// oversampled: the generator's filter spreads a match over its neighbours). A stereogram's
// best match is never quite clean: the ratio that makes a pixel sure is loose, and whether the
// picture is a stereogram at all is decided with a strict one, which noise meets too rarely.
constexpr double kSureRatio = 0.85;
// Oversampled, matched at fractions of a pixel: the partner is interpolated between two pixels
// the generator's filter has averaged, so even the true separation leaves a residue.
constexpr double kSureRatioOversampled = 0.96;
constexpr double kClearRatio = 0.75;
constexpr double kFoundShare = 0.1;  // clear pixels needed to call the picture a stereogram
constexpr int kBand = 48;            // rows a thread decodes in one go

// The picture's three channels, each width x height bytes, and the lowest and highest value
// within half a pixel of each pixel.
struct Planes {
    int width = 0, height = 0;
    std::vector<uint8_t> c[3], low[3], high[3];
    explicit Planes(const PictureView& pic) : width(pic.width), height(pic.height) {
        const size_t n = size_t(width) * size_t(height);
        for (int k = 0; k < 3; ++k) c[k].resize(n), low[k].resize(n), high[k].resize(n);
        for (int y = 0; y < height; ++y) {
            const uint32_t* row = pic.px + ptrdiff_t(y) * pic.stride;
            const size_t at = size_t(y) * size_t(width);
            for (int k = 0; k < 3; ++k) {
                uint8_t* out = c[k].data() + at;
                const int shift = 16 - 8 * k;
                for (int x = 0; x < width; ++x) out[x] = uint8_t(row[x] >> shift);
                uint8_t* lo = low[k].data() + at;
                uint8_t* hi = high[k].data() + at;
                for (int x = 0; x < width; ++x) {
                    const int v = out[x], l = (v + out[std::max(x - 1, 0)] + 1) / 2, r = (v + out[std::min(x + 1, width - 1)] + 1) / 2;
                    lo[x] = uint8_t(std::min({v, l, r}));
                    hi[x] = uint8_t(std::max({v, l, r}));
                }
            }
        }
    }
    const uint8_t* row(int k, int y) const { return c[k].data() + size_t(y) * size_t(width); }
    const uint8_t* lowRow(int k, int y) const { return low[k].data() + size_t(y) * size_t(width); }
    const uint8_t* highRow(int k, int y) const { return high[k].data() + size_t(y) * size_t(width); }
};

inline uint16_t AbsDiff(uint8_t a, uint8_t b) { return uint16_t(a > b ? a - b : b - a); }

// How far each of two pixels lies outside the values within half a pixel of the other, the
// smaller of the two (Birchfield and Tomasi's measure): a pair that repeats at a fraction of a
// pixel, as an oversampled stereogram does, still costs nothing.
inline int Dissimilarity(const uint8_t* v, const uint8_t* lo, const uint8_t* hi, int a, int b) {
    const int ab = std::max({0, v[a] - hi[b], lo[b] - v[a]});
    const int ba = std::max({0, v[b] - hi[a], lo[a] - v[b]});
    return std::min(ab, ba);
}

struct Search {
    int low = 0, count = 0;  // separations low + k / steps for k = 0 .. count - 1, in pixels
    int steps = 1;           // separations tried per pixel
    bool oversampled = false;  // the generator's filter has blurred the repeats
    double Sep(int k) const { return low + double(k) / steps; }
    int Units(int k) const { return low * steps + k; }  // the separation in 1/steps pixel
};

// Where a separation of `units` / steps pixels puts its pairs: the whole pixels it reaches and
// the offset from a pair's left pixel to the pixel at its middle.
struct Reach {
    int whole, frac, reach, half;
    Reach(int units, int steps)
        : whole(units / steps), frac(units % steps), reach(whole + (frac ? 1 : 0)), half(units / (2 * steps)) {}
};

// Window sums along a row of the differences between pixels a separation apart, each difference
// put at the middle of its pair; out has width values, 0 where the pair leaves the row. A
// fractional separation compares each pixel with its partner interpolated between the two whole
// pixels around it: an oversampled stereogram repeats at fractions of a pixel.
void RowCosts(const Planes& pl, int y, int units, int steps, uint16_t* diff, uint16_t* out) {
    const int w = pl.width, rx = kRx;
    const Reach r(units, steps);
    uint16_t* e = diff + rx;  // rx zeros on each side
    std::fill(diff, diff + w + 2 * rx, uint16_t(0));
    uint16_t* at = e + r.half;
    for (int k = 0; k < 3; ++k) {
        const uint8_t* v = pl.row(k, y);
        const uint8_t* lo = pl.lowRow(k, y);
        const uint8_t* hi = pl.highRow(k, y);
        if (r.frac == 0) {
            for (int j = 0; j < w - r.whole; ++j) at[j] = uint16_t(at[j] + Dissimilarity(v, lo, hi, j, j + r.whole));
            continue;
        }
        // The same measure against the partner's interpolated value and range, in 1/steps units:
        // plain differences would make every fractional separation dearer than the whole ones.
        const int a = steps - r.frac, b = r.frac, s = r.whole;
        for (int j = 0; j < w - r.reach; ++j) {
            const int p = a * v[j + s] + b * v[j + s + 1], vj = steps * v[j];
            const int pLo = a * lo[j + s] + b * lo[j + s + 1], pHi = a * hi[j + s] + b * hi[j + s + 1];
            const int ab = std::max({0, vj - pHi, pLo - vj}), ba = std::max({0, p - steps * hi[j], steps * lo[j] - p});
            at[j] = uint16_t(at[j] + std::min(ab, ba) / steps);
        }
    }
    for (int x = 0; x < w; ++x) {
        uint16_t sum = 0;
        for (int k = -rx; k <= rx; ++k) sum = uint16_t(sum + e[x + k]);
        out[x] = sum;
    }
}

// One band of rows: costs of every separation aggregated over the window by running column sums.
bool DecodeBand(const Planes& pl, const Search& sr, int y0, int y1, DecodedStereo& out, const DecodeProgress& progress,
                std::atomic<size_t>& clear) {
    const int w = pl.width, h = pl.height, S = sr.count, ringRows = 2 * kRy + 1;
    const size_t W = size_t(w);
    std::vector<uint16_t> ring(size_t(S) * ringRows * W), sum(size_t(S) * W, 0), cost(size_t(S) * W),
        diff(W + 2 * kRx);
    auto slot = [&](int s, int row) { return ring.data() + (size_t(s) * ringRows + size_t((row + ringRows * 4) % ringRows)) * W; };
    auto clampRow = [&](int row) { return std::clamp(row, 0, h - 1); };
    for (int row = y0 - kRy; row <= y0 + kRy; ++row)
        for (int s = 0; s < S; ++s) {
            uint16_t* hrow = slot(s, row - y0);
            RowCosts(pl, clampRow(row), sr.Units(s), sr.steps, diff.data(), hrow);
            uint16_t* v = sum.data() + size_t(s) * W;
            for (size_t x = 0; x < W; ++x) v[x] = uint16_t(v[x] + hrow[x]);
        }
    for (int y = y0; y < y1; ++y) {
        if (progress.cancel && progress.cancel->load(std::memory_order_relaxed)) return false;
        // The costs of this row, with pairs whose window leaves the picture ruled out.
        for (int s = 0; s < S; ++s) {
            const Reach r(sr.Units(s), sr.steps);
            uint16_t* c = cost.data() + size_t(s) * W;
            std::memcpy(c, sum.data() + size_t(s) * W, W * 2);
            const int lo = std::min(w, r.half + kRx), hi = std::max(lo, w - r.reach + r.half - kRx);
            std::fill(c, c + lo, kNoCost);
            std::fill(c + hi, c + w, kNoCost);
        }
        const size_t at = size_t(y) * W;
        size_t clearHere = 0;
        for (int x = 0; x < w; ++x) {
            const uint16_t* c = cost.data() + x;
            int best = 0;
            uint32_t total = 0;
            int valid = 0;
            for (int s = 0; s < S; ++s) {
                const uint16_t v = c[size_t(s) * W];
                if (v < c[size_t(best) * W]) best = s;
                if (v != kNoCost) total += v, ++valid;
            }
            const uint32_t b = c[size_t(best) * W];
            uint32_t second = kNoCost, echoCost = kNoCost;
            for (int s = 0; s < S; ++s) {
                if (std::abs(s - best) < (sr.steps > 1 ? 2 * sr.steps : 2)) continue;
                const uint32_t v = c[size_t(s) * W];
                second = std::min(second, v);
                const bool localMin = s > 0 && s + 1 < S && v <= c[size_t(s - 1) * W] && v <= c[size_t(s + 1) * W];
                if (localMin) echoCost = std::min(echoCost, v);
            }
            float& sepOut = out.sep[at + size_t(x)];
            sepOut = 0;
            if (b == kNoCost || valid < 3) continue;
            const double mean = double(total) / valid;
            const bool flat = mean < kFlatCost;
            const bool interior = best > 0 && best + 1 < S && c[size_t(best - 1) * W] != kNoCost &&
                                  c[size_t(best + 1) * W] != kNoCost;
            double offset = 0;
            if (interior) {
                const double m = c[size_t(best - 1) * W], p = c[size_t(best + 1) * W], curve = m - 2.0 * b + p;
                if (curve > 0) offset = std::clamp((m - p) / (2 * curve), -0.5, 0.5);
            }
            sepOut = float(std::round(sr.Sep(best) * 10 + offset * 10 / sr.steps) / 10);
            // Near the left and right edges the far separations link outside the picture: what is
            // left to choose from cannot rule out the separations that were not tried.
            const bool testable = valid == S && interior && !flat;
            out.sure[at + size_t(x)] = testable && b + kSoften <= (sr.oversampled ? kSureRatioOversampled : kSureRatio) * (second + kSoften);
            clearHere += testable && b + kSoften <= kClearRatio * (second + kSoften);
            out.echo[at + size_t(x)] = !flat && echoCost != kNoCost && echoCost <= b + 0.25 * (mean - b);
        }
        clear.fetch_add(clearHere, std::memory_order_relaxed);
        clearHere = 0;
        if (progress.rowsDone) progress.rowsDone->fetch_add(1, std::memory_order_relaxed);
        if (y + 1 == y1) break;
        // Slide the window down a row: the top row's sums leave, the next row's come in.
        const int in = y + kRy + 1;
        for (int s = 0; s < S; ++s) {
            uint16_t* hrow = slot(s, in - y0);  // the slot of row y - kRy, which leaves
            uint16_t* v = sum.data() + size_t(s) * W;
            for (size_t x = 0; x < W; ++x) v[x] = uint16_t(v[x] - hrow[x]);
            RowCosts(pl, clampRow(in), sr.Units(s), sr.steps, diff.data(), hrow);
            for (size_t x = 0; x < W; ++x) v[x] = uint16_t(v[x] + hrow[x]);
        }
    }
    return true;
}

// The generator's separation of each depth offset, in pixels, before it is cut to whole
// samples (BackgroundSeparation of a plane at that offset, in 1/1024 pixel).
// The separation of each depth offset as parallel eyes see it, falling from the background;
// crossed eyes see offset h where parallel ones see relief - h (OffsetOfSeparation turns it).
std::vector<double> SeparationTable(const StereoOptions& opts) {
    StereoOptions parallel = opts;
    parallel.viewing = kViewParallel;
    std::vector<double> t(size_t(opts.relief) + 1);
    for (int h = 0; h <= opts.relief; ++h) t[size_t(h)] = StereoSeparation(parallel, h, 1024) / 1024.0;
    return t;
}

double ParallelOffsetOfSeparation(const std::vector<double>& t, const StereoOptions& opts, double sep) {
    // Whole samples cut the separation by half a sample on average.
    const double cut = 0.5 / opts.oversam;
    if (sep >= t.front() - cut) return 0;
    if (sep <= t.back() - cut) return opts.relief;
    // The table falls as the offset grows.
    const auto it = std::lower_bound(t.begin(), t.end(), sep + cut, std::greater<double>());
    const size_t h = size_t(it - t.begin());
    const double a = t[h - 1] - cut, b = t[h] - cut;
    return double(h - 1) + (a - sep) / (a - b);
}

double OffsetOfSeparation(const std::vector<double>& t, const StereoOptions& opts, double sep) {
    const double h = ParallelOffsetOfSeparation(t, opts, sep);
    return opts.viewing == kViewCross ? opts.relief - h : h;
}

}  // namespace

void SeparationRange(const StereoOptions& opts, double& nearest, double& farthest) {
    const std::vector<double> t = SeparationTable(opts);
    nearest = *std::min_element(t.begin(), t.end());
    farthest = *std::max_element(t.begin(), t.end());
}

double DepthOffsetOfSeparation(const StereoOptions& opts, double sep) {
    return OffsetOfSeparation(SeparationTable(opts), opts, sep);
}

bool FindSeparationRange(const PictureView& pic, int& low, int& high, int& background) {
    // A repeat needs a third of the row to overlap itself to show.
    const int w = pic.width, maxLag = w * 2 / 3, firstLag = 4;
    if (w < 32 || pic.height < 1) return false;
    const int rows = std::min(pic.height, 64);
    std::vector<double> diff(size_t(maxLag) + 1, 0.0);
    std::vector<uint8_t> line(size_t(w) * 3);
    for (int r = 0; r < rows; ++r) {
        const uint32_t* row = pic.px + ptrdiff_t(int64_t(r) * pic.height / rows) * pic.stride;
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) line[size_t(x) * 3 + size_t(k)] = uint8_t(row[x] >> (8 * k));
        for (int lag = firstLag; lag <= maxLag; ++lag) {
            uint32_t sum = 0;
            const uint8_t* a = line.data();
            const uint8_t* b = a + size_t(lag) * 3;
            for (size_t i = 0, n = size_t(w - lag) * 3; i < n; ++i) sum += AbsDiff(a[i], b[i]);
            diff[size_t(lag)] += double(sum) / (w - lag);
        }
    }
    // A repeat shows as a dip below every shorter shift down to half its own: a smooth picture's
    // difference only grows with the shift.
    std::vector<double> score(size_t(maxLag) + 1, 1.0);
    for (int lag = 2 * firstLag; lag <= maxLag; ++lag) {
        double top = 0;
        for (int l = lag / 2; l <= lag; ++l) top = std::max(top, diff[size_t(l)]);
        score[size_t(lag)] = top > 0 ? diff[size_t(lag)] / top : 1.0;
    }
    const int best = int(std::min_element(score.begin(), score.end()) - score.begin());
    // Noise stays within a few per cent of 1; a weak dip may still be a stereogram whose near
    // surfaces cover most of it, which the matching itself then has to confirm.
    if (score[size_t(best)] > 0.8) return false;
    // A near surface covers little of the picture, so its repeat dips far less than the
    // background's: any dip clearly out of the noise counts, the noise measured by the median
    // and the median distance from it of all the shifts' scores.
    std::vector<double> sorted(score.begin() + 2 * firstLag, score.end());
    const auto middle = sorted.begin() + ptrdiff_t(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const double median = *middle;
    for (double& v : sorted) v = std::abs(v - median);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const double limit = std::max(1 - 0.12 * (1 - score[size_t(best)]), std::min(0.95, median - 8 * *middle));
    auto dips = [&](int lag) { return lag >= 2 * firstLag && lag <= maxLag && score[size_t(lag)] < limit; };
    low = high = background = best;
    for (int lag = best / 2 + 1; lag < best; ++lag)
        if (dips(lag)) low = std::min(low, lag);
    // Repeats add up (a pixel linked s1 to the right and s2 on links s1 + s2 away), so shifts from
    // twice the shortest repeat on add nothing.
    for (int lag = best + 1; lag < 2 * low - 1 && lag <= maxLag; ++lag)
        if (dips(lag)) high = lag;
    low = std::max(2, low - 2);
    high = std::min(maxLag, high + 2);
    return true;
}

DecodeResult DecodeStereogram(const PictureView& pic, const StereoOptions* opts, DecodedStereo& out,
                              const DecodeProgress& progress) {
    Search sr;
    try {
        if (opts) {
            if (!ValidateStereoOptions(*opts).empty()) return DecodeResult::NoStereogram;
            double nearest, farthest;
            SeparationRange(*opts, nearest, farthest);
            sr.low = std::max(2, int(std::floor(nearest)) - 3);
            // Half pixels find an oversampled repeat as often as its own finer steps do, at a
            // fraction of the work; the parabola refines the rest.
            sr.steps = std::min(opts->oversam, 2);
            sr.oversampled = opts->oversam > 1;
            sr.count = (int(std::ceil(farthest)) + 3 - sr.low) * sr.steps + 1;
        } else {
            int low, high, background;
            if (!FindSeparationRange(pic, low, high, background)) return DecodeResult::NoStereogram;
            sr = {low, high - low + 1};
        }
        if (int(std::ceil(sr.Sep(sr.count - 1))) > pic.width - 9 || sr.count < 3) return DecodeResult::NoStereogram;
        const Planes planes(pic);
        const size_t n = size_t(pic.width) * size_t(pic.height);
        out = {};
        out.width = pic.width;
        out.height = pic.height;
        out.sepLow = float(sr.low);
        out.sepHigh = float(sr.Sep(sr.count - 1));
        out.sep.assign(n, 0.f);
        out.sure.assign(n, 0);
        out.echo.assign(n, 0);
        std::atomic<bool> ok{true};
        std::atomic<size_t> clear{0};
        const int bands = (pic.height + kBand - 1) / kBand;
        ParallelFor(0, bands, 1, [&](int first, int last) {
            for (int b = first; b < last && ok.load(std::memory_order_relaxed); ++b) {
                try {
                    if (!DecodeBand(planes, sr, b * kBand, std::min(pic.height, (b + 1) * kBand), out, progress, clear))
                        ok.store(false);
                } catch (const std::bad_alloc&) {
                    ok.store(false);
                }
            }
        });
        if (progress.cancel && progress.cancel->load()) return DecodeResult::Cancelled;
        if (!ok.load()) return DecodeResult::NoMemory;
        return double(clear.load()) >= kFoundShare * double(n) ? DecodeResult::Found : DecodeResult::NoStereogram;
    } catch (const std::bad_alloc&) {
        return DecodeResult::NoMemory;
    }
}

void FillUnsure(DecodedStereo& d) {
    const int w = d.width, h = d.height;
    std::vector<uint8_t> rowFilled(size_t(std::max(h, 0)), 0);
    std::vector<float> sure(size_t(std::max(w, 0)));
    for (int y = 0; y < h; ++y) {
        float* sep = d.sep.data() + size_t(y) * size_t(w);
        const uint8_t* ok = d.sure.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) sure[size_t(x)] = ok[x] ? sep[x] : 0.f;
        // The farther side of a gap is the larger separation: the background a near surface hid.
        float left = 0;
        for (int x = 0; x < w; ++x) {
            if (ok[x]) left = sure[size_t(x)];
            sep[x] = left;
        }
        float right = 0;
        for (int x = w - 1; x >= 0; --x) {
            if (ok[x]) right = sure[size_t(x)];
            else sep[x] = std::max(sep[x], right);
        }
        rowFilled[size_t(y)] = w > 0 && sep[0] > 0;
    }
    // Rows with nothing sure take the nearest row that had something.
    auto copyRow = [&](int from, int to) {
        std::copy_n(d.sep.data() + size_t(from) * size_t(w), size_t(w), d.sep.data() + size_t(to) * size_t(w));
    };
    int last = -1;
    for (int y = 0; y < h; ++y) {
        if (rowFilled[size_t(y)]) {
            for (int k = last + 1; k < y; ++k) copyRow(last >= 0 && k - last < y - k ? last : y, k);
            last = y;
        }
    }
    if (last >= 0)
        for (int k = last + 1; k < h; ++k) copyRow(last, k);
}

std::vector<uint16_t> DecodedDepth16(const DecodedStereo& d, const StereoOptions* opts) {
    std::vector<uint16_t> out(d.sep.size(), 0);
    float nearest = std::numeric_limits<float>::max(), farthest = 0;
    for (float s : d.sep)
        if (s > 0) nearest = std::min(nearest, s), farthest = std::max(farthest, s);
    const std::vector<double> table = opts ? SeparationTable(*opts) : std::vector<double>();
    for (size_t i = 0; i < d.sep.size(); ++i) {
        const float s = d.sep[i];
        if (s <= 0) continue;
        double v;
        if (opts)
            v = OffsetOfSeparation(table, *opts, s) / opts->relief;
        else
            v = farthest > nearest ? (farthest - s) / (farthest - nearest) : 0.0;
        out[i] = uint16_t(std::lround(std::clamp(v, 0.0, 1.0) * 65535));
    }
    return out;
}

bool CompareDecoded(const DecodedStereo& d, const PictureView& truth, const StereoOptions& opts, DecodeFidelity& out) {
    StereoPlan plan;
    if (d.width <= 0 || d.height <= 0 || !truth.px || truth.width <= 0 || truth.height <= 0 || !BuildStereoPlan(opts, d.width, 32, 1, 32, plan))
        return false;
    const DepthRows rows(DepthOf(truth), opts, d.width, d.height);
    const double level = opts.relief / double(rows.greyMax());
    std::vector<int32_t> row(size_t(d.width) + 1);
    const std::vector<double> table = SeparationTable(opts);
    size_t sure = 0, within = 0, echo = 0;
    double error = 0, levels = 0;
    for (int y = 0; y < d.height; ++y) {
        rows.Row(d.height - 1 - y, row.data());
        for (int x = 0; x < d.width; ++x) {
            const size_t i = size_t(y) * size_t(d.width) + size_t(x);
            echo += d.echo[i];
            if (!d.sure[i]) continue;
            ++sure;
            // What the generator linked by: whole samples.
            const double truthSep = double(plan.sep[size_t(row[size_t(x)])]) / opts.oversam;
            const double e = std::abs(d.sep[i] - truthSep);
            const double dl = std::abs(OffsetOfSeparation(table, opts, d.sep[i]) - row[size_t(x)]);
            within += e <= 1.0 || dl <= level;
            error += e;
            levels += dl;
        }
    }
    const double n = double(d.width) * d.height;
    out.sure = sure / n;
    out.within = sure ? double(within) / sure : 0;
    out.meanError = sure ? error / sure : 0;
    out.meanLevels = sure ? levels / sure : 0;
    out.echo = echo / n;
    return true;
}
