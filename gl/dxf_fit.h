#pragma once
// Where a drawing's faces lie and how far the eye stands to see all of them.
#include "dxf/face_list.h"

struct DxfBounds {
    double center[3] = {0, 0, 0};
    double radius = 0;  // of the sphere around the points' box
    bool empty = true;
};

DxfBounds FaceBounds(const FaceList* faces);

// Eye distance from the centre at which a sphere of `radius` spans `fill` of the view's
// smaller extent, for a vertical field of `fovy` degrees and an aspect of width / height.
double FitDistance(double radius, double fovy, double aspect, double fill);

// The face's normal by Newell's method, of unit length; (0, 0, 1) for a face without area.
void FaceNormal(const face& f, float n[3]);
