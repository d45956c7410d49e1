// Drawings as meshes for depth: the program's own reader's faces, drawn without cracks.
#include "model/mesh_depth.h"
#include "stereo/depth_mesh.h"
#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(DepthMesh, APolylineDrawingsFacesDrawWholeAndAFacelessOneIsRefused) {
    const MeshResult m = ReadDepthMesh(ORVALIS_SOURCE_DIR "/tests/data/dxf/polyline.dxf");
    ASSERT_TRUE(m.ok) << m.error;
    MeshView view;
    view.width = 800, view.height = 600;
    std::vector<uint16_t> d;
    ASSERT_TRUE(RenderMeshDepth(m.mesh, view, d));
    // At this size a shared edge runs through pixel centres: each face must still claim them.
    int cracks = 0, drawn = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 1; x + 1 < 800; ++x) {
            const size_t i = size_t(y) * 800 + size_t(x);
            drawn += d[i] != 0;
            cracks += d[i] == 0 && d[i - 1] != 0 && d[i + 1] != 0;
        }
    EXPECT_GT(drawn, 10000);
    EXPECT_EQ(cracks, 0);

    TempDir dir("depth_mesh");
    std::ofstream(dir / "lines.dxf") << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n1\n31\n0\n"
                                        "0\nENDSEC\n0\nEOF\n";
    const MeshResult lines = ReadDepthMesh(dir / "lines.dxf");
    EXPECT_FALSE(lines.ok);
    EXPECT_EQ(lines.error, "the drawing has no faces");
}

}  // namespace
