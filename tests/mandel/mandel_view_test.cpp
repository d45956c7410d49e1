#include "mandel/mandel_view.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kEps = 1e-12;

SETTINGS Fresh() {
    SETTINGS s{};
    s.MndlR = 111.0, s.MndlI = 222.0, s.MndlSide = 333.0;
    return s;
}

void ExpectView(const MandelView& v, const MandelView& expected, const char* name) {
    EXPECT_NEAR(v.fltR, expected.fltR, kEps) << name;
    EXPECT_NEAR(v.fltI, expected.fltI, kEps) << name;
    EXPECT_NEAR(v.fltSide, expected.fltSide, kEps) << name;
}

TEST(MandelZoom, keysZoomAboutTheMiddleOfTheSideSquare) {
    // "+" halves, "-" takes 1.5 times; the point corner + old side / 2 stays put.
    MandelView v{-1.5, -1.0, 2.0};
    SETTINGS s = Fresh();
    EXPECT_TRUE(MandelZoom(v, s, 0.5, std::nullopt, {600, 600, 0, 0}));
    ExpectView(v, {-1.0, -0.5, 1.0}, "+");
    EXPECT_TRUE(MandelZoom(v, s, 1.5, std::nullopt, {600, 600, 0, 0}));
    ExpectView(v, {-1.25, -0.75, 1.5}, "-");
    EXPECT_EQ(s.MndlSide, v.fltSide);
    EXPECT_EQ(std::make_pair(s.MndlR, s.MndlI), std::make_pair(111.0, 222.0));  // the stored corner stays
}

TEST(MandelZoom, wheelMakesThePointUnderTheCursorTheCentre) {
    struct Case {
        const char* name;
        MandelGeometry g;
        ClientPoint cursor;
        double scale;
        MandelView expected;
    } cases[] = {
        // Centre of 800 x 600, side 0.6, corner (-1.0, -0.3): the centre (-0.6, 0.0) stays.
        {"forward at the centre", {800, 600, 0, 0}, {400, 300}, 0.5, {-0.8, -0.15, 0.3}},
        {"back at the centre", {800, 600, 0, 0}, {400, 300}, 1.5, {-0.6 - 0.6, -0.45, 0.9}},
        {"scrolled picture", {800, 600, 100, 50}, {300, 250}, 0.5, {-0.8, -0.15, 0.3}},
        // Top-left pixel: the corner (-1.0, -0.3) becomes the centre.
        {"at the corner", {800, 600, 0, 0}, {0, 0}, 0.5, {-1.0 - 0.2, -0.3 - 0.15, 0.3}},
    };
    for (const Case& c : cases) {
        MandelView v{-1.0, -0.3, 0.6};
        SETTINGS s = Fresh();
        EXPECT_TRUE(MandelZoom(v, s, c.scale, c.cursor, c.g)) << c.name;
        ExpectView(v, c.expected, c.name);
        EXPECT_TRUE(s.MndlR == v.fltR && s.MndlI == v.fltI && s.MndlSide == v.fltSide) << c.name;
    }
}

TEST(MandelZoom, aSideBeyondTheLimitsIsKeptButNotComputed) {
    struct Case {
        double side, scale;
        bool computed;
    } cases[] = {{2.0, 1.5, true}, {2.5, 1.5, false}, {3.0, 1.0, true}, {2e-14, 0.5, true}, {1.5e-14, 0.5, false}};
    for (const Case& c : cases) {
        MandelView v{-2.0, -1.0, c.side};
        SETTINGS s = Fresh();
        EXPECT_EQ(MandelZoom(v, s, c.scale, std::nullopt, {600, 600, 0, 0}), c.computed) << c.side << " x " << c.scale;
        EXPECT_EQ(v.fltSide, c.side * c.scale);
        EXPECT_EQ(s.MndlSide, c.side * c.scale);
    }
}

TEST(SetMouseValues, theSelectionsTopLeftBecomesTheCornerAndItsHeightTheSide) {
    struct Case { const char* name; ClientPoint a, b; MandelGeometry g; MandelView expected; } cases[] = {
        {"drag down-right", {100, 50}, {300, 350}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"drag up-left", {300, 350}, {100, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"drag up-right", {100, 350}, {300, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        // Scrolled by (20, 10): the picture points are (120, 60) .. (320, 360).
        {"scrolled", {100, 50}, {300, 350}, {800, 600, 20, 10}, {-1.7, -0.6, 0.75}},
        {"no height", {100, 50}, {300, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.0}},
    };
    for (const Case& c : cases) {
        MandelView v{-2.0, -0.75, 1.5};
        SETTINGS s = Fresh();
        SetMouseValues(v, s, c.a, c.b, c.g);
        ExpectView(v, c.expected, c.name);
        EXPECT_TRUE(s.MndlR == v.fltR && s.MndlI == v.fltI && s.MndlSide == v.fltSide) << c.name;
    }
}

TEST(MandelTitle, showsSizeCornerAndSideInExponentForm) {
    EXPECT_EQ(MandelTitle(800, 600, kMainView), "Mandel - 800X600 R:-2.0e+00 I:-1.1e+00 L:2.27e+00");
    EXPECT_EQ(MandelTitle(1, 2, {1e-120, 0.0, 12345.0}), "Mandel - 1X2 R:1.0e-120 I:0.0e+00 L:1.23e+04");
}

TEST(Checkf, warnsOutsideTheWorkingRangeOnly) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (auto [d, warns] : {std::pair{0.0, true}, {1e-15, true}, {-3.5, true}, {3.0000001, true}, {inf, true},
                            {-2.0, false}, {3.0, false}, {1e-14, false}, {-1e-14, false}, {nan, false}}) {
        auto m = checkf(d);
        EXPECT_EQ(m.has_value(), warns) << d;
        if (m) { EXPECT_EQ(m->caption + "/" + m->text, "ERROR/DOUBLE ERROR"); }
    }
}

}  // namespace
