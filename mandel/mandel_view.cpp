#include "mandel/mandel_view.h"

#include "mandel/number_text.h"

#include <algorithm>
#include <cmath>

bool MandelZoom(MandelView& v, SETTINGS& s, double scale, std::optional<ClientPoint> center,
                const MandelGeometry& g) {
    const double old = v.fltSide;
    v.fltSide = old * scale;
    s.MndlSide = v.fltSide;
    if (!center) {
        const double half = (v.fltSide - old) * 0.5;
        v.fltR -= half;
        v.fltI -= half;
    } else {
        const double aspect = double(g.Xsize) / double(g.Ysize);
        const double ix = double(center->x + g.Xscroll) / double(g.Xsize);
        const double iy = double(center->y + g.Yscroll) / double(g.Ysize);
        const double r = v.fltR + aspect * old * ix;
        const double i = v.fltI + iy * old;
        v.fltR = r - aspect * v.fltSide * 0.5;
        v.fltI = i - v.fltSide * 0.5;
        s.MndlR = v.fltR;
        s.MndlI = v.fltI;
    }
    return SideWithinLimits(v.fltSide);
}

void SetMouseValues(MandelView& v, SETTINGS& s, ClientPoint frst, ClientPoint scnd, const MandelGeometry& g) {
    const int x1 = std::min(frst.x, scnd.x) + g.Xscroll;
    const int y1 = std::min(frst.y, scnd.y) + g.Yscroll;
    const int y2 = std::max(frst.y, scnd.y) + g.Yscroll;
    const double H = g.Ysize;
    v.fltR = v.fltR + x1 * v.fltSide / H;
    v.fltI = v.fltI + y1 * v.fltSide / H;
    v.fltSide = (y2 - y1) / H * v.fltSide;
    s.MndlR = v.fltR;
    s.MndlI = v.fltI;
    s.MndlSide = v.fltSide;
}

std::string MandelTitle(int Xsize, int Ysize, const MandelView& v) {
    return "Mandel - " + std::to_string(Xsize) + "X" + std::to_string(Ysize) + " R:" + FormatExp(v.fltR, 1) +
           " I:" + FormatExp(v.fltI, 1) + " L:" + FormatExp(v.fltSide, 2);
}

std::optional<UserMessage> checkf(double d) {
    if (std::fabs(d) > 3.0 || std::fabs(d) < 1e-14) return UserMessage{"ERROR", "DOUBLE ERROR"};
    return std::nullopt;
}
