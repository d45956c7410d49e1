#pragma once
// The view of a Mandelbrot picture and the arithmetic of its zooms.
#include "images/dib.h"
#include "images/image32.h"
#include "workspace/settings.h"

#include <cstdint>
#include <optional>
#include <string>

struct MandelView {
    double fltR = 0.0;     // real part of the corner (column 0)
    double fltI = 0.0;     // imaginary part of the corner (row 0, the top row)
    double fltSide = 0.0;  // length spanned by the picture height
};

// The "Main Mandelbrot" view, and the view that key H returns to.
constexpr MandelView kMainView{-2.0, -1.1338, 2.27};
constexpr MandelView kHomeView{-2.0, -1.15, 2.3};

// Picture size and scroll position of the window the zoom happens in.
struct MandelGeometry {
    int Xsize = 0;
    int Ysize = 0;
    int Xscroll = 0;
    int Yscroll = 0;
};

struct ClientPoint {
    int x = 0;
    int y = 0;
};

// Bytes per row of the explorer's 8-bit picture: rows are padded to 4 bytes.
inline int MandelStride(int Xsize) { return int(DibStride(Xsize, 8)); }

// The explorer's picture memory stays within 1 GiB.
inline bool MandelPictureSizeOk(int Xsize, int Ysize) {
    return Xsize > 0 && Ysize > 0 && uint64_t(MandelStride(Xsize)) * uint64_t(Ysize) <= (uint64_t(1) << 30);
}

// A side outside these limits is not computed.
inline bool SideWithinLimits(double side) { return !(side > 3.0 || side < 1e-14); }

// Zooms by `scale`: about the fixed point (corner + side/2) when `center` is empty, else so
// that the picture point under the client point `center` becomes the centre. Stores the new
// side (and, for a centred zoom, the corner) into the settings. Returns whether the new view
// is to be computed.
bool MandelZoom(MandelView& v, SETTINGS& s, double scale, std::optional<ClientPoint> center,
                const MandelGeometry& g);

// The view of the selection between two client points: its top-left corner becomes the new
// corner and its height the new side. Also stored into the settings.
void SetMouseValues(MandelView& v, SETTINGS& s, ClientPoint frst, ClientPoint scnd, const MandelGeometry& g);

// "Mandel - %dX%d R:%.1e I:%.1e L:%.2e"
std::string MandelTitle(int Xsize, int Ysize, const MandelView& v);

// A warning for a double outside the explorer's working range (NaN passes).
std::optional<UserMessage> checkf(double d);
