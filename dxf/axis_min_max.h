#pragma once
// The range that the DXF display reports after reading a drawing.
#include "dxf/dxf_object.h"

struct AxisMinMax {
    float min = 0.0f;
    float max = 0.0f;
};

// Each end truncated toward zero to an int, plus 1 (the minimum too). Values beyond the
// int range are held at its limits.
AxisMinMax AxisFromRange(const MinMax& range);
