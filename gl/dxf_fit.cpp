#include "gl/dxf_fit.h"

#include <algorithm>
#include <cmath>

DxfBounds FaceBounds(const FaceList* faces) {
    DxfBounds b;
    if (!faces) return b;
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    for (const FaceListStruct* p = faces->ListHead; p; p = p->next_face)
        for (int i = 0; i < p->cur_face.point_cnt; ++i)
            for (int a = 0; a < 3; ++a) {
                const double v = p->cur_face.f[i].v[a];
                lo[a] = b.empty ? v : std::min(lo[a], v);
                hi[a] = b.empty ? v : std::max(hi[a], v);
                if (a == 2) b.empty = false;
            }
    if (b.empty) return b;
    double d2 = 0;
    for (int a = 0; a < 3; ++a) {
        b.center[a] = (lo[a] + hi[a]) / 2;
        d2 += (hi[a] - lo[a]) * (hi[a] - lo[a]);
    }
    b.radius = std::sqrt(d2) / 2;
    return b;
}

double FitDistance(double radius, double fovy, double aspect, double fill) {
    const double halfV = fovy * M_PI / 360.0;
    const double t = std::tan(halfV) * std::min(1.0, aspect > 0 ? aspect : 1.0);
    // A sphere at distance d looks as wide as r / sqrt(d^2 - r^2) in tangent terms.
    const double k = fill * t;
    return radius * std::sqrt(1.0 + 1.0 / (k * k));
}

void FaceNormal(const face& f, float n[3]) {
    double x = 0, y = 0, z = 0;
    for (int i = 0; i < f.point_cnt; ++i) {
        const float* a = f.f[i].v;
        const float* b = f.f[(i + 1) % f.point_cnt].v;
        x += double(a[1] - b[1]) * (a[2] + b[2]);
        y += double(a[2] - b[2]) * (a[0] + b[0]);
        z += double(a[0] - b[0]) * (a[1] + b[1]);
    }
    const double len = std::sqrt(x * x + y * y + z * z);
    if (!(len > 0)) {
        n[0] = n[1] = 0, n[2] = 1;
        return;
    }
    n[0] = float(x / len), n[1] = float(y / len), n[2] = float(z / len);
}
