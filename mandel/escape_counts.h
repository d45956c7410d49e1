#pragma once
// Escape counts of many points at once: as many SIMD lanes as the processor offers, with the
// same double operations in the same order as fCalcMandel, so every count matches it.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// counts[k] = fCalcMandel(cr[k], ci[k], limit) for k < n. The limit is read when a point
// enters a lane, so a new limit applies to the points not yet begun. Returns false, with
// some counts unset, as soon as `keepGoing` turns false.
bool EscapeCounts(const double* cr, const double* ci, int n, const int32_t& limit, int32_t* counts,
                  const std::atomic<bool>& keepGoing);

// The instruction sets EscapeCounts was built for that this processor runs, best first, and
// the name of one; tests run each through ForceEscapeCountTarget (0 restores the choice).
std::vector<int64_t> EscapeCountTargets();
std::string EscapeCountTargetName(int64_t target);
void ForceEscapeCountTarget(int64_t target);
