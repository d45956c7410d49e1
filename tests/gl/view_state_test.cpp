// Viewing rules shared by the OpenGL windows, and the reported DXF range.
#include "dxf/axis_min_max.h"
#include "gl/depth_view.h"
#include "gl/view_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ViewState, EachMouseMoveTurnsHalfADegreePerAxisItMovesAlong) {
    struct Move { int x, y; float lat, lon; /* after the move */ } moves[] = {
        {300, 200, 0.5f, 0.5f},   // from (0, 0): down and right
        {300, 200, 0.5f, 0.5f},   // no motion
        {301, 100, 0.0f, 1.0f},   // up, one pixel right
        {10, 100, -0.0f, 0.5f},   // far left, same height
        {10, 900, 0.5f, 0.5f},    // far down
        {-1, 900, 0.5f, 1.0f},    // -1 packs to 65535: larger x
    };
    SharedView.reset();
    SharedView.lastpos = 0;
    for (const Move& m : moves) {
        SCOPED_TRACE(std::to_string(m.x) + "," + std::to_string(m.y));
        SharedView.mouseMove(m.x, m.y);
        EXPECT_FLOAT_EQ(SharedView.latitude, m.lat);
        EXPECT_FLOAT_EQ(SharedView.longitude, m.lon);
    }
    EXPECT_EQ(SharedView.lastpos, 0xFFFFu | (900u << 16));
}

TEST(ViewState, EachWheelStepMovesTheRadiusATenth) {
    // The wheel steps a tenth whatever the delta and never leaves the radius below zero. The plain
    // steps and held buttons or keys are checked on a real window.
    struct { double before; int delta; bool held; double after; } steps[] = {
        {0.05, 120, false, 0.1}, {0.1, 120, false, 0.0}, {-3.0, 120, true, 0.1}, {4.5, 1, false, 4.4}};
    for (const auto& s : steps) {
        SCOPED_TRACE(std::to_string(s.before) + " " + std::to_string(s.delta));
        SharedView.radius = s.before;
        SharedView.wheel(s.delta, s.held);
        EXPECT_NEAR(SharedView.radius, s.after, 1e-12);
    }
}

TEST(DepthView, GreyFallsWithTheDistanceFromTheEyeFromNearestWhiteToUndrawnBlack) {
    // gluPerspective with near 3, far 7: window depth 0, 0.7 and 0.875 lie 3, 5 and 6 from the eye
    // (ndc 2d - 1 = 2.5 - 10.5 / distance), so 5 is a third of the way from the farthest drawn (6).
    const double perspective[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2.5, -1, 0, 0, -10.5, 0};
    const float depth[] = {0.7f, 1.0f, 0.0f, 0.875f};  // bottom row first
    EXPECT_EQ(DepthBufferToGrey16(depth, 2, 2, perspective), std::vector<uint16_t>({65535, 0, 21845, 0}));
    const double ortho[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    EXPECT_EQ(DepthBufferToGrey16(depth, 4, 1, ortho), std::vector<uint16_t>({13107, 0, 65535, 0}));
    const float flat[] = {0.5f, 1.0f, 0.5002f};  // within 1/4096: a face and its offset edges
    EXPECT_EQ(DepthBufferToGrey16(flat, 1, 3, perspective), std::vector<uint16_t>({65535, 0, 65535}));
}

TEST(AxisRange, EndsBeyondTheIntRangeAreHeldAtItsLimits) {
    MinMax range;
    range.SetMinMax(-1e30f);
    range.SetMinMax(1e30f);
    AxisMinMax a = AxisFromRange(range);
    EXPECT_EQ(a.min, -2147483648.0f);  // -2147483647 has no float of its own
    EXPECT_EQ(a.max, 2147483648.0f);
}

}  // namespace
