// A sphere of radius 1 written in each format Assimp reads for us, drawn orthographically at
// 256 x 256: its depth against sqrt(1 - r^2) and its outline's area against the circle's.
#include "model/mesh_depth.h"
#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

constexpr int kLon = 128, kLat = 64;
const double kPi = std::acos(-1.0);

struct Sphere {
    std::vector<float> p;  // x, y, z
    std::vector<uint32_t> t;
    Sphere() {
        for (int i = 0; i <= kLat; ++i)
            for (int j = 0; j < kLon; ++j) {
                const double a = kPi * i / kLat, b = 2 * kPi * j / kLon;
                p.insert(p.end(), {float(std::sin(a) * std::cos(b)), float(std::cos(a)), float(std::sin(a) * std::sin(b))});
            }
        for (int i = 0; i < kLat; ++i)
            for (int j = 0; j < kLon; ++j) {
                const uint32_t a = i * kLon + j, b = i * kLon + (j + 1) % kLon, c = a + kLon, d = b + kLon;
                if (i > 0) t.insert(t.end(), {a, c, b});
                if (i + 1 < kLat) t.insert(t.end(), {b, c, d});
            }
    }
    size_t points() const { return p.size() / 3; }
};

// The points one a line after `v`, then the faces after `f`, numbered from `first`.
std::string Listed(const Sphere& s, const char* v, const char* f, int first) {
    std::ostringstream o;
    for (size_t i = 0; i < s.p.size(); i += 3) o << v << s.p[i] << ' ' << s.p[i + 1] << ' ' << s.p[i + 2] << '\n';
    for (size_t i = 0; i < s.t.size(); i += 3) o << f << s.t[i] + first << ' ' << s.t[i + 1] + first << ' ' << s.t[i + 2] + first << '\n';
    return o.str();
}

std::string StlText(const Sphere& s) {
    std::ostringstream o;
    o << "solid ball\n";
    for (size_t i = 0; i < s.t.size(); ++i) {
        if (i % 3 == 0) o << "facet normal 0 0 0\nouter loop\n";
        o << "vertex " << s.p[3 * s.t[i]] << ' ' << s.p[3 * s.t[i] + 1] << ' ' << s.p[3 * s.t[i] + 2] << '\n';
        if (i % 3 == 2) o << "endloop\nendfacet\n";
    }
    return o.str() + "endsolid ball\n";
}

template <class T> void Put(std::string& s, T v) { s.append(reinterpret_cast<const char*>(&v), sizeof v); }

std::string StlBinary(const Sphere& s) {
    std::string b(80, ' ');
    Put(b, uint32_t(s.t.size() / 3));
    for (size_t f = 0; f < s.t.size(); f += 3) {
        for (int k = 0; k < 3; ++k) Put(b, 0.0f);
        for (int k = 0; k < 9; ++k) Put(b, s.p[3 * s.t[f + k / 3] + k % 3]);
        Put(b, uint16_t(0));
    }
    return b;
}

std::string Ply(const Sphere& s) {
    return "ply\nformat ascii 1.0\nelement vertex " + std::to_string(s.points()) +
           "\nproperty float x\nproperty float y\nproperty float z\nelement face " + std::to_string(s.t.size() / 3) +
           "\nproperty list uchar int vertex_indices\nend_header\n" + Listed(s, "", "3 ", 0);
}

TEST(MeshDepth, SphereInEveryFormatHasTheSpheresDepthAndOutline) {
    const TempDir dir{"orvalis_model"};
    const Sphere s;
    struct Row {
        const char* name;
        std::string bytes;
        bool perspective;
    } rows[] = {{"ball.obj", Listed(s, "v ", "f ", 1), false},      {"ball.stl", StlText(s), false}, {"binary.stl", StlBinary(s), false},
                {"ball.ply", Ply(s), false},       {"ball.obj", Listed(s, "v ", "f ", 1), true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + (row.perspective ? " in perspective" : ""));
        std::ofstream(dir / row.name, std::ios::binary) << row.bytes;
        const MeshResult r = ReadModelFile(dir / row.name);
        ASSERT_TRUE(r.ok) << r.error;
        MeshView view;
        view.width = view.height = 256;
        view.perspective = row.perspective;
        std::vector<uint16_t> d;
        ASSERT_TRUE(RenderMeshDepth(r.mesh, view, d));
        EXPECT_EQ(r.mesh.faces(), s.t.size() / 3);
        // In either projection the outline is a circle of 0.95 * 128 pixels: the perspective
        // eye sees the sphere under the view's whole angle.
        const double rp = 0.95 * 128;
        int drawn = 0, worst = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const uint16_t v = d[y * 256 + x];
                drawn += v != 0;
                const double r2 = ((x + 0.5 - 128) * (x + 0.5 - 128) + (y + 0.5 - 128) * (y + 0.5 - 128)) / (rp * rp);
                if (row.perspective || r2 > 0.97 * 0.97) continue;  // the outline's facets are steep
                // Nearest white; the far side of the sphere, z = -1, would be black.
                const double want = 65535 * (std::sqrt(1 - r2) + 1) / 2;
                EXPECT_NE(v, 0);
                worst = std::max(worst, int(std::lround(std::fabs(v - want))));
            }
        EXPECT_LE(worst, 256);
        EXPECT_NEAR(drawn, kPi * rp * rp, 0.01 * kPi * rp * rp);
    }
}

}  // namespace
