#pragma once
// How an OpenGL window shows a 3-D model read through Assimp: its own mesh, lit with normals
// averaged from the faces round each point, held in vertex buffers and drawn in one call,
// seen through the same camera as the command line's depth (model/mesh_depth.h) and turned
// by the shared viewing state.
#include "documents/opened_file.h"
#include "model/mesh_depth.h"

#include <cstdint>
#include <vector>

struct MODEL_DATA : ClientBlock {
    Mesh mesh;                   // emptied once the window's buffers hold it
    std::vector<float> normals;  // one per point, likewise
    MeshBounds bounds;
    size_t indices = 0;          // three a face
    unsigned buffers[3] = {};    // points, normals, faces; 0 until the first paint
    MeshCamera camera;           // of the last paint
};

// Reads the model into the document; a model that does not read gives a box with the reason
// and returns false.
bool LoadModelWindow(OPENEDFILE* of, const std::string& path);
void ModelInit();
void ModelReshape(int width, int height);
void ModelDisplay(OPENEDFILE* of);
// The view the window shows now, at width x height pixels, for `orvalis-cli depth` too.
MeshView ModelWindowView(int width, int height);
// The last paint's depth buffer (bottom row first) as depth grey; false before any paint or
// when its size differs.
bool ModelDepthGrey(OPENEDFILE* of, const float* depth, int width, int height, std::vector<uint16_t>& grey);
// Frees the window's buffers; its context is current.
void ModelRelease(OPENEDFILE* of);
