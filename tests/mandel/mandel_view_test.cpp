#include "mandel/mandel_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

SETTINGS Fresh() {
    SETTINGS s{};
    return s.MndlR = 111.0, s.MndlI = 222.0, s;
}

// A view and the settings it must have written (the stored corner stays for the keys).
void ExpectView(const MandelView& v, const MandelView& expected, const SETTINGS& s, bool stored, const char* name) {
    EXPECT_LT(std::abs(v.fltR - expected.fltR) + std::abs(v.fltI - expected.fltI) + std::abs(v.fltSide - expected.fltSide), 1e-12)
        << name << ": " << v.fltR << ", " << v.fltI << ", " << v.fltSide;
    EXPECT_TRUE((stored ? s.MndlR == v.fltR && s.MndlI == v.fltI : s.MndlR == 111.0 && s.MndlI == 222.0) && s.MndlSide == v.fltSide)
        << name;
}

TEST(MandelZoom, keysAndWheelZoomAboutTheirFixedPoint) {
    struct Case { const char* name; MandelView v; double scale; std::optional<ClientPoint> cursor; MandelGeometry g; MandelView want; };
    Case cases[] = {
        // Keys: "+" halves, "-" takes 1.5 times; the point corner + old side / 2 stays put.
        {"+", {-1.5, -1.0, 2.0}, 0.5, std::nullopt, {600, 600, 0, 0}, {-1.0, -0.5, 1.0}},
        {"-", {-1.0, -0.5, 1.0}, 1.5, std::nullopt, {600, 600, 0, 0}, {-1.25, -0.75, 1.5}},
        // Wheel: the point under the cursor becomes the centre. Centre of 800 x 600, side 0.6,
        // corner (-1.0, -0.3): the centre (-0.6, 0.0) stays.
        {"forward at the centre", {-1.0, -0.3, 0.6}, 0.5, ClientPoint{400, 300}, {800, 600, 0, 0}, {-0.8, -0.15, 0.3}},
        {"back at the centre", {-1.0, -0.3, 0.6}, 1.5, ClientPoint{400, 300}, {800, 600, 0, 0}, {-0.6 - 0.6, -0.45, 0.9}},
        {"scrolled picture", {-1.0, -0.3, 0.6}, 0.5, ClientPoint{300, 250}, {800, 600, 100, 50}, {-0.8, -0.15, 0.3}},
        {"at the corner", {-1.0, -0.3, 0.6}, 0.5, ClientPoint{0, 0}, {800, 600, 0, 0}, {-1.0 - 0.2, -0.3 - 0.15, 0.3}},
    };
    for (Case& c : cases) {
        SETTINGS s = Fresh();
        EXPECT_TRUE(MandelZoom(c.v, s, c.scale, c.cursor, c.g)) << c.name;
        ExpectView(c.v, c.want, s, c.cursor.has_value(), c.name);
    }
}

TEST(MandelZoom, aSideBeyondTheLimitsIsKeptButNotComputed) {
    struct Case { double side, scale; bool computed; } cases[] = {{2.0, 1.5, true}, {2.5, 1.5, false}, {3.0, 1.0, true},
                                                                  {2e-14, 0.5, true}, {1.5e-14, 0.5, false}};
    for (const Case& c : cases) {
        MandelView v{-2.0, -1.0, c.side};
        SETTINGS s{};
        EXPECT_EQ(MandelZoom(v, s, c.scale, std::nullopt, {600, 600, 0, 0}), c.computed) << c.side << " x " << c.scale;
        EXPECT_TRUE(v.fltSide == c.side * c.scale && s.MndlSide == v.fltSide) << c.side << " x " << c.scale;
    }
}

TEST(SetMouseValues, theSelectionsTopLeftBecomesTheCornerAndItsHeightTheSide) {
    struct Case { const char* name; ClientPoint a, b; MandelGeometry g; MandelView expected; } cases[] = {
        {"drag down-right", {100, 50}, {300, 350}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"drag up-left", {300, 350}, {100, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"drag up-right", {100, 350}, {300, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"scrolled by (20, 10)", {100, 50}, {300, 350}, {800, 600, 20, 10}, {-1.7, -0.6, 0.75}},
        {"no height", {100, 50}, {300, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.0}},
    };
    for (const Case& c : cases) {
        MandelView v{-2.0, -0.75, 1.5};
        SETTINGS s = Fresh();
        SetMouseValues(v, s, c.a, c.b, c.g), ExpectView(v, c.expected, s, true, c.name);
    }
}

TEST(MandelTitleAndCheckf, showExponentFormAndWarnOutsideTheWorkingRangeOnly) {
    EXPECT_EQ(MandelTitle(800, 600, kMainView), "Mandel - 800X600 R:-2.0e+00 I:-1.1e+00 L:2.27e+00");
    EXPECT_EQ(MandelTitle(1, 2, {1e-120, 0.0, 12345.0}), "Mandel - 1X2 R:1.0e-120 I:0.0e+00 L:1.23e+04");
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (auto [d, warns] : {std::pair{0.0, true}, {1e-15, true}, {-3.5, true}, {3.0000001, true}, {inf, true},
                            {-2.0, false}, {3.0, false}, {1e-14, false}, {-1e-14, false}, {nan, false}}) {
        const auto m = checkf(d);
        EXPECT_EQ(m ? m->caption + "/" + m->text : "", warns ? "ERROR/DOUBLE ERROR" : "") << d;
    }
}

}  // namespace
