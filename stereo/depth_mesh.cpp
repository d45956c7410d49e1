#include "stereo/depth_mesh.h"

#include "dxf/dxf_reader.h"
#include "images/picture_format.h"

#include <new>

namespace {

bool IsDrawingName(const std::string& path) { return NameEndsIn(path, ".dxf"); }

}  // namespace

bool IsDepthMeshName(const std::string& path) { return IsDrawingName(path) || IsModelName(path); }

MeshResult ReadDepthMesh(const std::string& path) {
    if (!IsDrawingName(path)) return ReadModelFile(path);
    MeshResult r;
    const DxfDrawing d = ReadDxfFile(path.c_str());
    if (!d.error.empty()) return r.error = d.error, r;
    try {
        // Each face a fan of triangles from its first point; lines and points have no area.
        for (const FaceListStruct* f = d.faces ? d.faces->ListHead : nullptr; f; f = f->next_face) {
            const face& c = f->cur_face;
            if (c.point_cnt < 3) continue;
            const uint32_t first = uint32_t(r.mesh.points.size() / 3);
            if (r.mesh.faces() + size_t(c.point_cnt) > kMaxModelFaces) {
                r.error = "the drawing has more than " + std::to_string(kMaxModelFaces) + " faces";
                return r;
            }
            for (int k = 0; k < c.point_cnt; ++k) r.mesh.points.insert(r.mesh.points.end(), c.f[k].v, c.f[k].v + 3);
            for (int k = 1; k + 1 < c.point_cnt; ++k)
                r.mesh.triangles.insert(r.mesh.triangles.end(), {first, first + uint32_t(k), first + uint32_t(k + 1)});
        }
    } catch (const std::bad_alloc&) {
        r.mesh = {};
        r.error = "not enough memory for the drawing's faces";
        return r;
    }
    if (r.mesh.triangles.empty()) return r.error = "the drawing has no faces", r;
    r.ok = true;
    return r;
}
