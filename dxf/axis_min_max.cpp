#include "dxf/axis_min_max.h"

#include <climits>
#include <cmath>

namespace {
float TruncatedPlusOne(float v) {
    double t = std::isnan(v) ? 0.0 : std::trunc(double(v));
    if (t < double(INT_MIN)) t = double(INT_MIN);
    if (t > double(INT_MAX)) t = double(INT_MAX);
    return float(double(int(t)) + 1.0);
}
}  // namespace

AxisMinMax AxisFromRange(const MinMax& range) {
    return {TruncatedPlusOne(range.GetMin()), TruncatedPlusOne(range.GetMax())};
}
