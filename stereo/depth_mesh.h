#pragma once
// The mesh whose depth a stereogram shows: a DXF drawing through the program's own reader (its
// 3DFACE and POLYLINE faces, as the drawing's window shows them), any other model through Assimp.
#include "model/model_file.h"

#include <string>

MeshResult ReadDepthMesh(const std::string& path);
// Whether `path` names a model or a drawing ReadDepthMesh takes.
bool IsDepthMeshName(const std::string& path);
