// The options that set a model's view, shared by `depth` and `stereo --depth MODEL`, and the
// model's depth as a 16-bit grey picture.
#include "model/mesh_depth.h"
#include "stereo/depth_mesh.h"
#include "tools/cli/cli.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {

CliTake Turn(MeshView& view) {
    return [&view](const std::string& v) -> std::string {
        double a[3];
        if (std::string why = CliAngles(a)(v); !why.empty()) return why;
        view.turnX = a[0], view.turnY = a[1], view.turnZ = a[2];
        return "";
    };
}

}  // namespace

CliTake CliAngles(double (&out)[3]) {
    return [&out](const std::string& v) -> std::string {
        double a[3];
        const char* p = v.c_str();
        for (int k = 0; k < 3; ++k) {
            char* end = nullptr;
            a[k] = std::strtod(p, &end);
            if (end == p || !std::isfinite(a[k]) || std::fabs(a[k]) > 3600 || *end != (k < 2 ? ',' : '\0'))
                return "must be three angles in degrees, -3600 to 3600, such as 30,-20,0";
            p = end + 1;
        }
        std::copy(a, a + 3, out);
        return "";
    };
}

CliTake CliSize(int& width, int& height) {
    return [&](const std::string& v) -> std::string {
        const size_t x = v.find('x');
        int w = 0, h = 0;
        if (x == std::string::npos || !CliWhole(w, kCliMinSide, kCliMaxSide)(v.substr(0, x)).empty() ||
            !CliWhole(h, kCliMinSide, kCliMaxSide)(v.substr(x + 1)).empty())
            return "must be WIDTHxHEIGHT, " + std::to_string(kCliMinSide) + " to " + std::to_string(kCliMaxSide) +
                   " a side, such as 1920x1080";
        width = w, height = h;
        return "";
    };
}

std::vector<CliOption> CliModelOptions(MeshView& view, int& orthographic) {
    return {
        {"--turn", "X,Y,Z",
         "a model's turn in degrees about x, then y, then z (default 0,0,0: the z axis towards the viewer, y up)",
         Turn(view)},
        {"--zoom", "F", "a model's enlargement, 0.01 to 100; 1 (default) fits it whole at any turn",
         CliNumber(view.zoom, 0.01, 100)},
        {"--perspective", "", "a model seen in perspective (the default)", [&](const std::string&) {
             orthographic = 0;
             return std::string();
         }},
        {"--orthographic", "", "a model seen without perspective", CliSwitch(orthographic)},
    };
}

int CliModelDepth(const std::string& path, MeshView view, int orthographic, Image32& out) {
    view.perspective = !orthographic;
    MeshResult r = ReadDepthMesh(path);
    if (!r.ok) return CliFileError(path, r.error);
    std::vector<uint16_t> depth;
    if (!RenderMeshDepth(r.mesh, view, depth)) return CliNoMemory(view.width, view.height, "depth picture");
    return CliGreyPicture(view.width, view.height, std::move(depth), out);
}

int CliGreyPicture(int width, int height, std::vector<uint16_t> grey, Image32& out) {
    try {
        out = GreyPicture(width, height, std::move(grey));
    } catch (const std::bad_alloc&) {
        return CliNoMemory(width, height, "depth picture");
    }
    return 0;
}
