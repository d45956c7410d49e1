#pragma once
// The depth picture of a mesh seen from a view: a z-buffer of our own, so it needs no display
// and gives the same bytes on every machine. The view (MeshCamera) is the one the model window
// draws with, so the window's depth and the command line's agree.
#include "model/model_file.h"

#include <cstdint>
#include <vector>

struct MeshView {
    int width = 512, height = 512;
    double turnX = 0, turnY = 0, turnZ = 0;  // degrees, about x, then y, then z
    double zoom = 1;                          // 1: the model's bounding sphere fills 95% of the smaller side
    bool perspective = true;                  // else orthographic
};

// The fraction of the smaller side the bounding sphere spans at zoom 1.
constexpr double kMeshFill = 0.95;
// The half angle of the perspective view at zoom 1.
constexpr double kMeshHalfAngleDegrees = 15;

// The sphere round the box of the points the faces use.
struct MeshBounds {
    double centre[3] = {0, 0, 0};
    double radius = 1;
};
MeshBounds MeshBoundsOf(const Mesh& mesh);

// Where the eye stands and how the view maps onto width x height pixels. The eye looks down
// -z at the bounding sphere's centre from `eye` away (so far that at zoom 1 the sphere just
// fits the perspective view's cone); the model is turned first.
struct MeshCamera {
    int width = 0, height = 0;
    bool perspective = true;
    double radius = 1;  // the bounding sphere's
    double eye = 1;     // distance of the eye from the sphere's centre
    // Pixels per unit: at distance 1 from the eye in perspective, anywhere in orthographic.
    double scale = 1;
    double nearPlane = 0, farPlane = 1;  // distances from the eye that the window's depth spans
    // Column-major, as OpenGL takes them: model to eye space, and eye space to clip space.
    double modelview[16] = {};
    double projection[16] = {};
};
MeshCamera MeshCameraFor(const MeshBounds& bounds, const MeshView& view);

// The turn of a view at `latitude` and `longitude` degrees (the model turned about z by the
// longitude, then about x by minus the latitude, as the OpenGL windows turn) as angles about
// x, then y, then z.
void SetTurnFromPolar(MeshView& view, double latitude, double longitude);

// width x height 16-bit depth values, top row first: 0 where nothing is drawn, else
// 65535 * (z + R) / (zNearest + R), z measured towards the viewer from the bounding sphere's
// centre (radius R) and zNearest the nearest drawn point's, so that point is white and the
// bounding sphere's far side would be black. False when the picture does not fit in memory.
bool RenderMeshDepth(const Mesh& mesh, const MeshView& view, std::vector<uint16_t>& depth);

// The same grey from a window's depth buffer drawn with `camera` (depths 0..1 between its
// near and far planes, bottom row first as glReadPixels gives them; 1 where nothing was drawn).
std::vector<uint16_t> WindowDepthToGrey16(const float* depth, const MeshCamera& camera);
