#include "model/mesh_depth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>

namespace {

using Vec = std::array<double, 3>;

// The centre and radius of a sphere round every point that a face uses (the box's centre).
void Bounds(const Mesh& mesh, Vec& centre, double& radius) {
    Vec lo{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    Vec hi{-lo[0], -lo[1], -lo[2]};
    for (uint32_t i : mesh.triangles)
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], double(mesh.points[3 * i + k]));
            hi[k] = std::max(hi[k], double(mesh.points[3 * i + k]));
        }
    for (int k = 0; k < 3; ++k) centre[k] = (lo[k] + hi[k]) / 2;
    radius = 0;
    for (uint32_t i : mesh.triangles) {
        double d = 0;
        for (int k = 0; k < 3; ++k) d += (mesh.points[3 * i + k] - centre[k]) * (mesh.points[3 * i + k] - centre[k]);
        radius = std::max(radius, d);
    }
    radius = std::sqrt(radius);
    if (!(radius > 0)) radius = 1;  // a single point or a model too small for doubles
}

// Rows of the turn about x, then y, then z.
std::array<Vec, 3> Turn(const MeshView& v) {
    const double r = std::acos(-1.0) / 180;
    const double cx = std::cos(v.turnX * r), sx = std::sin(v.turnX * r);
    const double cy = std::cos(v.turnY * r), sy = std::sin(v.turnY * r);
    const double cz = std::cos(v.turnZ * r), sz = std::sin(v.turnZ * r);
    // Rz * Ry * Rx
    return {{{cz * cy, cz * sy * sx - sz * cx, cz * sy * cx + sz * sx},
             {sz * cy, sz * sy * sx + cz * cx, sz * sy * cx - cz * sx},
             {-sy, cy * sx, cy * cx}}};
}

// A point on the screen: x, y in pixels, and what is interpolated linearly across the screen
// (z itself for an orthographic view, 1 / distance from the eye for a perspective one).
struct Screen {
    double x, y, w;
};

double Edge(const Screen& a, const Screen& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

}  // namespace

bool RenderMeshDepth(const Mesh& mesh, const MeshView& view, std::vector<uint16_t>& depth) {
    const int W = view.width, H = view.height;
    std::vector<double> zbuf;
    try {
        depth.assign(size_t(W) * size_t(H), 0);
        zbuf.assign(size_t(W) * size_t(H), -std::numeric_limits<double>::infinity());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (mesh.triangles.empty()) return true;
    Vec c;
    double R;
    Bounds(mesh, c, R);
    const auto M = Turn(view);
    const double half = kMeshFill * std::min(W, H) / 2;
    const double angle = kMeshHalfAngleDegrees * std::acos(-1.0) / 180;
    // Perspective: the eye so far away that the bounding sphere just fits the view's cone.
    const double eye = R / std::sin(angle);
    const double scale = view.perspective ? view.zoom * half / std::tan(angle) : view.zoom * half / R;
    const size_t n = mesh.points.size() / 3;
    std::vector<Screen> s(n);
    for (size_t i = 0; i < n; ++i) {
        const Vec p{mesh.points[3 * i] - c[0], mesh.points[3 * i + 1] - c[1], mesh.points[3 * i + 2] - c[2]};
        Vec q;
        for (int r = 0; r < 3; ++r) q[r] = M[r][0] * p[0] + M[r][1] * p[1] + M[r][2] * p[2];
        // Every point is at least eye - R > 0 from the eye: nothing lies behind it.
        const double f = view.perspective ? scale / (eye - q[2]) : scale;
        s[i] = {W / 2.0 + q[0] * f, H / 2.0 - q[1] * f, view.perspective ? 1 / (eye - q[2]) : q[2]};
    }
    double nearest = -std::numeric_limits<double>::infinity();
    for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
        const Screen a = s[mesh.triangles[t]], b = s[mesh.triangles[t + 1]], d = s[mesh.triangles[t + 2]];
        const double area = Edge(a, b, d.x, d.y);
        if (area == 0 || !std::isfinite(area)) continue;
        const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, d.x}))));
        const int x1 = std::min(W - 1, int(std::ceil(std::max({a.x, b.x, d.x}))));
        const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, d.y}))));
        const int y1 = std::min(H - 1, int(std::ceil(std::max({a.y, b.y, d.y}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                // Barycentric weights; a pixel centre on an edge belongs to both faces, and
                // the z-buffer keeps the nearer.
                const double wa = Edge(b, d, px, py) / area, wb = Edge(d, a, px, py) / area, wd = Edge(a, b, px, py) / area;
                if (wa < 0 || wb < 0 || wd < 0) continue;
                const double w = wa * a.w + wb * b.w + wd * d.w;
                const double z = view.perspective ? eye - 1 / w : w;
                double& cell = zbuf[size_t(y) * W + x];
                if (z > cell) {
                    cell = z;
                    nearest = std::max(nearest, z);
                }
            }
    }
    if (nearest == -std::numeric_limits<double>::infinity()) return true;
    const double span = nearest + R;
    for (size_t i = 0; i < zbuf.size(); ++i)
        if (zbuf[i] > -std::numeric_limits<double>::infinity())
            depth[i] = uint16_t(std::clamp(std::lround(65535 * (zbuf[i] + R) / span), 1L, 65535L));
    return true;
}
