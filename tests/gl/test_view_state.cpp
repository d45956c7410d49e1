// Viewing rules shared by the OpenGL windows, and the reported DXF range.
#include "dxf/axis_min_max.h"
#include "gl/view_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(ViewState, EachMoveTurnsHalfADegreePerAxisTowardTheMotion) {
    struct Move {
        int x, y;
        float lat, lon;  // after the move
    } moves[] = {
        {300, 200, 0.5f, 0.5f},   // from (0, 0): down and right
        {300, 200, 0.5f, 0.5f},   // no motion
        {301, 100, 0.0f, 1.0f},   // up, one pixel right
        {10, 100, -0.0f, 0.5f},   // far left, same height
        {10, 900, 0.5f, 0.5f},    // far down
        {-1, 900, 0.5f, 1.0f},    // -1 packs to 65535: larger x
    };
    ResetViewingState();
    lastpos = 0;
    for (const Move& m : moves) {
        SCOPED_TRACE(std::to_string(m.x) + "," + std::to_string(m.y));
        ViewMouseMove(m.x, m.y);
        EXPECT_FLOAT_EQ(latitude, m.lat);
        EXPECT_FLOAT_EQ(longitude, m.lon);
    }
    EXPECT_EQ(lastpos, 0xFFFFu | (900u << 16));
}

TEST(ViewState, WheelChangesRadiusByATenthUnlessAButtonOrKeyIsHeld) {
    struct Step {
        double before;
        int delta;
        bool held;
        double after;
    } steps[] = {
        {4.5, 120, false, 4.4},  {4.5, -120, false, 4.6}, {4.5, 120, true, 4.5},
        {4.5, -120, true, 4.5},  {0.05, 120, false, 0.1}, {0.1, 120, false, 0.0},
        {-3.0, 120, true, 0.1},  {4.5, 1, false, 4.4},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.before) + " " + std::to_string(s.delta));
        radius = s.before;
        ViewWheel(s.delta, s.held);
        EXPECT_NEAR(radius, s.after, 1e-12);
        EXPECT_GE(radius, 0.0);
    }
}

TEST(ViewState, ArrowKeysStepTheAnglesByTheirIncrements) {
    ResetViewingState();
    ViewArrowKey(ArrowKey::Right);
    ViewArrowKey(ArrowKey::Right);
    EXPECT_FLOAT_EQ(longitude, 5.0f);
    ViewArrowKey(ArrowKey::Left);
    EXPECT_FLOAT_EQ(longitude, 2.5f);
    ViewArrowKey(ArrowKey::Up);
    EXPECT_FLOAT_EQ(latitude, 6.0f);
    ViewArrowKey(ArrowKey::Down);
    ViewArrowKey(ArrowKey::Down);
    EXPECT_FLOAT_EQ(latitude, -6.0f);
    EXPECT_EQ(longinc, 2.5f);
    EXPECT_EQ(latinc, 6.0f);
}

std::string AxisText(float lo, float hi) {
    MinMax range;
    range.SetMinMax(lo);
    range.SetMinMax(hi);
    AxisMinMax a = AxisFromRange(range);
    char buf[64];
    std::snprintf(buf, sizeof buf, "axis  %2.2f - %2.2f", double(a.min), double(a.max));
    return buf;
}

TEST(AxisRange, EachEndIsTruncatedTowardZeroPlusOne) {
    EXPECT_EQ(AxisText(-2.5f, 7.9f), "axis  -1.00 - 8.00");
    EXPECT_EQ(AxisText(0.0f, 1.0f), "axis  1.00 - 2.00");
    EXPECT_EQ(AxisText(-0.5f, 0.5f), "axis  1.00 - 1.00");
    // held at the int limits; -2147483647 has no float of its own
    EXPECT_EQ(AxisText(-1e30f, 1e30f), "axis  -2147483648.00 - 2147483648.00");
    AxisMinMax untouched = AxisFromRange(MinMax{});
    EXPECT_EQ(untouched.min, 1024001.0f);
    EXPECT_EQ(untouched.max, -1023999.0f);
}

}  // namespace
