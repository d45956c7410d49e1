// Compiled once for each instruction set Highway targets; the best one the processor runs is
// chosen at the first call, by our own check of the processor (Highway's library is not
// needed). The build turns off contraction into fused multiply-adds, which would round
// differently from the plain loop.
// Vectors are kept in arrays, which the sizeless vectors of SVE and RVV do not allow.
#define HWY_DISABLED_TARGETS (HWY_SVE | HWY_SVE2 | HWY_SVE_256 | HWY_SVE2_128 | HWY_RVV)
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "mandel/escape_counts.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "mandel/escape_counts.h"

#include <algorithm>
#include <cmath>
#include <cpuid.h>
#include <iterator>

HWY_BEFORE_NAMESPACE();
namespace orvalis_mandel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr size_t kMaxLanes = HWY_MAX_BYTES / sizeof(double);
// Groups of lanes that take turns, so that one group's multiplications run while another's
// wait for their results.
constexpr int kGroups = 4;

// A lane's count is the number of rounds since its point began, so rounds are counted once
// for all lanes, and the iteration limit becomes a round by which the point must have
// escaped. A lane without a point iterates c = 0, which never escapes, with no such round.
struct LaneGroup {
    HWY_ALIGN double cr[kMaxLanes], ci[kMaxLanes], deadline[kMaxLanes], alive[kMaxLanes];
    double begun[kMaxLanes];  // the round at which the lane's point began
    double limit[kMaxLanes];  // the limit its point was begun with
    int point[kMaxLanes];     // -1: none
};

// The lanes whose points finished at `round` hand out their counts and take the next
// points (or none, when all are taken). Returns how many lanes still hold points.
template <class D, class V = hn::Vec<D>, class M = hn::Mask<D>>
HWY_INLINE int Refill(D d, LaneGroup& g, const double* cr, const double* ci, int n, int& next, double round,
                      double newLimit, int32_t* counts, V& zr, V& zi, V& a, V& b, V& cR, V& cI, V& deadline, M live) {
    const size_t lanes = hn::Lanes(d);
    hn::Store(hn::VecFromMask(d, live), d, g.alive);
    int busy = 0;
    for (size_t k = 0; k < lanes; ++k) {
        if (g.alive[k] != 0.0) {
            busy += g.point[k] >= 0;
            continue;
        }
        const double count = round - g.begun[k];
        counts[g.point[k]] = count == g.limit[k] ? 0 : int32_t(count);
        g.point[k] = next < n ? next++ : -1;
        if (g.point[k] >= 0) {
            ++busy;
            g.cr[k] = cr[g.point[k]];
            g.ci[k] = ci[g.point[k]];
            g.deadline[k] = round + newLimit;
            g.begun[k] = round;
            g.limit[k] = newLimit;
        } else {
            g.cr[k] = g.ci[k] = 0.0;
            g.deadline[k] = HUGE_VAL;
        }
    }
    cR = hn::IfThenElse(live, cR, hn::Load(d, g.cr));
    cI = hn::IfThenElse(live, cI, hn::Load(d, g.ci));
    zr = hn::IfThenElse(live, zr, cR);
    zi = hn::IfThenElse(live, zi, cI);
    deadline = hn::IfThenElse(live, deadline, hn::Load(d, g.deadline));
    a = hn::IfThenElseZero(live, a);
    b = hn::IfThenElseZero(live, b);
    return busy;
}

// Each lane iterates one point; a lane whose point has finished takes the next point, so
// lanes never idle while points remain.
bool EscapeCountsImpl(const double* cr, const double* ci, int n, const int32_t* limitPtr, int32_t* counts,
                      const std::atomic<bool>* keepGoing) {
    using D = hn::ScalableTag<double>;
    const D d;
    const size_t lanes = hn::Lanes(d);
    std::atomic_ref<int32_t> limit(const_cast<int32_t&>(*limitPtr));
    LaneGroup g[kGroups];
    hn::Vec<D> zr[kGroups], zi[kGroups], a[kGroups], b[kGroups], cR[kGroups], cI[kGroups], deadline[kGroups];
    const auto four = hn::Set(d, 4.0), two = hn::Set(d, 2.0), one = hn::Set(d, 1.0), zero = hn::Zero(d);
    int busy[kGroups];
    int next = 0;
    const double startLimit = double(limit.load(std::memory_order_relaxed));
    for (int j = 0; j < kGroups; ++j) {
        busy[j] = 0;
        for (size_t k = 0; k < kMaxLanes; ++k) {
            const bool take = k < lanes && next < n;
            g[j].point[k] = take ? next++ : -1;
            busy[j] += take;
            g[j].cr[k] = take ? cr[g[j].point[k]] : 0.0;
            g[j].ci[k] = take ? ci[g[j].point[k]] : 0.0;
            g[j].deadline[k] = take ? startLimit : HUGE_VAL;
            g[j].begun[k] = 0.0;
            g[j].limit[k] = startLimit;
        }
        zr[j] = cR[j] = hn::Load(d, g[j].cr);
        zi[j] = cI[j] = hn::Load(d, g[j].ci);
        deadline[j] = hn::Load(d, g[j].deadline);
        a[j] = b[j] = zero;
    }
    if (next == 0) return true;
    double round = 0.0;
    auto roundV = zero;
    // The limits are tested only from the first round at which some point reaches its own.
    auto earliest = [&] {
        double m = HUGE_VAL;
        for (const LaneGroup& group : g)
            for (size_t k = 0; k < lanes; ++k) m = std::min(m, group.deadline[k]);
        return m;
    };
    double firstDeadline = earliest();
    for (unsigned steps = 0;;) {
        hn::Mask<D> live[kGroups];
        bool all = true;
        const bool atLimit = round >= firstDeadline;
#pragma GCC unroll 8
        for (int j = 0; j < kGroups; ++j) {
            live[j] = hn::Le(hn::Add(a[j], b[j]), four);
            if (atLimit) live[j] = hn::And(live[j], hn::Lt(roundV, deadline[j]));
            all &= hn::AllTrue(d, live[j]);
        }
        if (!all) {
            const double newLimit = double(limit.load(std::memory_order_relaxed));
            int total = 0;
            for (int j = 0; j < kGroups; ++j) {
                if (!hn::AllTrue(d, live[j]))
                    busy[j] = Refill(d, g[j], cr, ci, n, next, round, newLimit, counts, zr[j], zi[j], a[j], b[j], cR[j],
                                     cI[j], deadline[j], live[j]);
                total += busy[j];
            }
            if (total == 0) return true;
            firstDeadline = earliest();
            continue;  // the new points take the escape test first
        }
#pragma GCC unroll 8
        for (int j = 0; j < kGroups; ++j) {
            const auto aa = hn::Mul(zr[j], zr[j]);
            const auto bb = hn::Mul(zi[j], zi[j]);
            zi[j] = hn::Add(hn::Mul(hn::Mul(zr[j], zi[j]), two), cI[j]);
            zr[j] = hn::Add(hn::Sub(aa, bb), cR[j]);
            a[j] = aa;
            b[j] = bb;
        }
        round += 1.0;
        roundV = hn::Add(roundV, one);
        if (++steps == 4096) {
            steps = 0;
            if (!keepGoing->load(std::memory_order_relaxed)) return false;
        }
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace orvalis_mandel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orvalis_mandel {
namespace {

using Kernel = bool (*)(const double*, const double*, int, const int32_t*, int32_t*, const std::atomic<bool>*);

// The instruction sets each compiled version uses, as Highway's target attributes name them,
// each level with those of the level below; the choice is ours, so no library has to be
// loaded (and calibrated) at start-up.
// Clang's __builtin_cpu_supports does not know "f16c"; the processor tells it directly.
bool HasF16c() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_F16C) != 0;
}
bool Ssse3() { return __builtin_cpu_supports("ssse3"); }
bool Sse4() {
    return Ssse3() && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("sse4.2") &&
           __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("aes");
}
bool Avx2() {
    return Sse4() && __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma") && HasF16c();
}
bool Avx3() {
    return Avx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}
bool Always() { return true; }

struct Version {
    int64_t target;
    Kernel kernel;
    bool (*runs)();  // whether this processor has what the version uses
};

// Best first.
const Version kVersions[] = {
#if HWY_TARGETS & HWY_AVX3
    {HWY_AVX3, &N_AVX3::EscapeCountsImpl, &Avx3},
#endif
#if HWY_TARGETS & HWY_AVX2
    {HWY_AVX2, &N_AVX2::EscapeCountsImpl, &Avx2},
#endif
#if HWY_TARGETS & HWY_SSE4
    {HWY_SSE4, &N_SSE4::EscapeCountsImpl, &Sse4},
#endif
#if HWY_TARGETS & HWY_SSSE3
    {HWY_SSSE3, &N_SSSE3::EscapeCountsImpl, &Ssse3},
#endif
#if HWY_TARGETS & HWY_EMU128
    {HWY_EMU128, &N_EMU128::EscapeCountsImpl, &Always},
#endif
#if HWY_TARGETS & HWY_SCALAR
    {HWY_SCALAR, &N_SCALAR::EscapeCountsImpl, &Always},
#endif
};

std::atomic<int64_t> forced{0};

Kernel Chosen() {
    static const Kernel best = [] {
        for (const Version& v : kVersions)
            if (v.runs()) return v.kernel;
        return kVersions[std::size(kVersions) - 1].kernel;
    }();
    if (const int64_t t = forced.load(std::memory_order_relaxed))
        for (const Version& v : kVersions)
            if (v.target == t) return v.kernel;
    return best;
}

}  // namespace
}  // namespace orvalis_mandel

bool EscapeCounts(const double* cr, const double* ci, int n, const int32_t& limit, int32_t* counts,
                  const std::atomic<bool>& keepGoing) {
    return orvalis_mandel::Chosen()(cr, ci, n, &limit, counts, &keepGoing);
}

std::vector<int64_t> EscapeCountTargets() {
    std::vector<int64_t> targets;
    for (const auto& v : orvalis_mandel::kVersions)
        if (v.runs()) targets.push_back(v.target);
    return targets;
}
std::string EscapeCountTargetName(int64_t target) { return hwy::TargetName(target); }
void ForceEscapeCountTarget(int64_t target) { orvalis_mandel::forced.store(target, std::memory_order_relaxed); }
#endif
