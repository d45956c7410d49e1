#pragma once
// One whole reading of a drawing, for callers that want the result rather than the steps
// (the command-line tool and the fuzz target).
#include "dxf/face_list.h"
#include "dxf/dxf_object.h"

#include <cstddef>
#include <memory>
#include <string>

struct DxfDrawing {
    std::unique_ptr<FaceList> faces;  // null when the drawing has no 3DFACE or POLYLINE
    MinMax range;
    std::string error;  // why the drawing was refused; empty when it was read
};

DxfDrawing ReadDxfFile(const char* FileName);
DxfDrawing ReadDxfBytes(const unsigned char* data, size_t size);
