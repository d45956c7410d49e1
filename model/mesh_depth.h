#pragma once
// The depth picture of a mesh seen from a view: a z-buffer of our own, so it needs no display
// and gives the same bytes on every machine.
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
// The half angle of the perspective view.
constexpr double kMeshHalfAngleDegrees = 15;

// width x height 16-bit depth values, top row first: 0 where nothing is drawn, else
// 65535 * (z + R) / (zNearest + R), z measured towards the viewer from the bounding sphere's
// centre (radius R) and zNearest the nearest drawn point's, so that point is white and the
// bounding sphere's far side would be black. False when the picture does not fit in memory.
bool RenderMeshDepth(const Mesh& mesh, const MeshView& view, std::vector<uint16_t>& depth);
