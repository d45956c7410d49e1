#include "model/mesh_depth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>

namespace {

using Vec = std::array<double, 3>;

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

constexpr double kNone = -std::numeric_limits<double>::infinity();

// z towards the viewer from the bounding sphere's centre, kNone where nothing is drawn, as grey.
std::vector<uint16_t> Grey(const std::vector<double>& z, double radius) {
    std::vector<uint16_t> depth(z.size(), 0);
    const double nearest = z.empty() ? kNone : *std::max_element(z.begin(), z.end());
    if (nearest == kNone) return depth;
    const double span = nearest + radius;
    for (size_t i = 0; i < z.size(); ++i)
        if (z[i] > kNone) depth[i] = uint16_t(std::clamp(std::lround(65535 * (z[i] + radius) / span), 1L, 65535L));
    return depth;
}

double Edge(const Screen& a, const Screen& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

}  // namespace

MeshBounds MeshBoundsOf(const Mesh& mesh) {
    MeshBounds b;
    if (mesh.triangles.empty()) return b;
    Vec lo{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    Vec hi{-lo[0], -lo[1], -lo[2]};
    for (uint32_t i : mesh.triangles)
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], double(mesh.points[3 * i + k]));
            hi[k] = std::max(hi[k], double(mesh.points[3 * i + k]));
        }
    for (int k = 0; k < 3; ++k) b.centre[k] = (lo[k] + hi[k]) / 2;
    double r2 = 0;
    for (uint32_t i : mesh.triangles) {
        double d = 0;
        for (int k = 0; k < 3; ++k) d += (mesh.points[3 * i + k] - b.centre[k]) * (mesh.points[3 * i + k] - b.centre[k]);
        r2 = std::max(r2, d);
    }
    b.radius = std::sqrt(r2);
    if (!(b.radius > 0)) b.radius = 1;  // a single point or a model too small for doubles
    return b;
}

MeshCamera MeshCameraFor(const MeshBounds& bounds, const MeshView& view) {
    MeshCamera c;
    c.width = view.width, c.height = view.height;
    c.perspective = view.perspective;
    c.radius = bounds.radius;
    const double R = bounds.radius, W = view.width, H = view.height;
    const double half = kMeshFill * std::min(W, H) / 2;
    const double angle = kMeshHalfAngleDegrees * std::acos(-1.0) / 180;
    c.eye = R / std::sin(angle);
    c.scale = view.perspective ? view.zoom * half / std::tan(angle) : view.zoom * half / R;
    c.nearPlane = c.eye - 1.01 * R, c.farPlane = c.eye + 1.01 * R;
    const auto M = Turn(view);
    double* m = c.modelview;
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k) m[4 * k + r] = M[r][k];
        m[12 + r] = -(M[r][0] * bounds.centre[0] + M[r][1] * bounds.centre[1] + M[r][2] * bounds.centre[2]);
    }
    m[14] -= c.eye;
    m[15] = 1;
    double* p = c.projection;
    const double n = c.nearPlane, f = c.farPlane;
    p[0] = 2 * c.scale / W, p[5] = 2 * c.scale / H;
    if (view.perspective) {
        p[10] = (f + n) / (n - f), p[11] = -1, p[14] = 2 * f * n / (n - f);
    } else {
        p[10] = -2 / (f - n), p[14] = -(f + n) / (f - n), p[15] = 1;
    }
    return c;
}

void SetTurnFromPolar(MeshView& view, double latitude, double longitude) {
    const double r = std::acos(-1.0) / 180;
    const double ca = std::cos(-latitude * r), sa = std::sin(-latitude * r);
    const double cb = std::cos(longitude * r), sb = std::sin(longitude * r);
    // Rx(-latitude) * Rz(longitude), read back as Rz(z) * Ry(y) * Rx(x).
    const double m00 = cb, m01 = -sb, m10 = ca * sb, m11 = ca * cb, m20 = sa * sb, m21 = sa * cb, m22 = ca;
    const double sy = std::clamp(-m20, -1.0, 1.0);
    view.turnY = std::asin(sy) / r;
    if (std::fabs(sy) < 1 - 1e-12) {
        view.turnX = std::atan2(m21, m22) / r;
        view.turnZ = std::atan2(m10, m00) / r;
    } else {  // looking straight along the turned x axis: only x and z together count
        view.turnX = 0;
        view.turnZ = std::atan2(-m01, m11) / r;
    }
}

bool RenderMeshDepth(const Mesh& mesh, const MeshView& view, std::vector<uint16_t>& depth) {
    const int W = view.width, H = view.height;
    std::vector<double> zbuf;
    try {
        depth.assign(size_t(W) * size_t(H), 0);
        zbuf.assign(size_t(W) * size_t(H), kNone);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (mesh.triangles.empty()) return true;
    const MeshCamera cam = MeshCameraFor(MeshBoundsOf(mesh), view);
    const double* m = cam.modelview;
    const size_t n = mesh.points.size() / 3;
    std::vector<Screen> s;
    try {
        s.resize(n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        double q[3];  // in eye space
        for (int r = 0; r < 3; ++r)
            q[r] = m[r] * mesh.points[3 * i] + m[4 + r] * mesh.points[3 * i + 1] + m[8 + r] * mesh.points[3 * i + 2] + m[12 + r];
        // Every point is at least eye - R > 0 from the eye: nothing lies behind it.
        const double dist = -q[2];
        const double f = view.perspective ? cam.scale / dist : cam.scale;
        s[i] = {W / 2.0 + q[0] * f, H / 2.0 - q[1] * f, view.perspective ? 1 / dist : q[2] + cam.eye};
    }
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
                // the z-buffer keeps the nearer. Each face works its edge out from its own
                // corner, so rounding may put the centre a hair outside both: a little slack.
                const double wa = Edge(b, d, px, py) / area, wb = Edge(d, a, px, py) / area, wd = Edge(a, b, px, py) / area;
                constexpr double kSlack = 1e-9;
                if (wa < -kSlack || wb < -kSlack || wd < -kSlack) continue;
                const double w = wa * a.w + wb * b.w + wd * d.w;
                const double z = view.perspective ? cam.eye - 1 / w : w;
                double& cell = zbuf[size_t(y) * W + x];
                cell = std::max(cell, z);
            }
    }
    try {
        depth = Grey(zbuf, cam.radius);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::vector<uint16_t> WindowDepthToGrey16(const float* depth, const MeshCamera& camera) {
    const int W = camera.width, H = camera.height;
    std::vector<double> z(size_t(std::max(W, 0)) * size_t(std::max(H, 0)), kNone);
    const double n = camera.nearPlane, f = camera.farPlane;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double w = depth[size_t(y) * W + x];
            if (!(w < 1)) continue;
            // Undo the projection's depth: a hyperbola in perspective, a line without.
            const double dist = camera.perspective ? f * n / (f - w * (f - n)) : n + w * (f - n);
            z[size_t(H - 1 - y) * W + x] = camera.eye - dist;
        }
    return Grey(z, camera.radius);
}
