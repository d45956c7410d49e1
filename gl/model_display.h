#pragma once
// How an OpenGL window shows a 3-D model read through Assimp: its own mesh, lit with normals
// averaged from the faces round each point, drawn from arrays in one call, fitted so the whole
// model stays in view at any turn, and turned by the shared viewing state.
#include "documents/opened_file.h"
#include "model/model_file.h"

#include <vector>

struct MODEL_DATA : ClientBlock {
    Mesh mesh;
    std::vector<float> normals;  // one per point
    double center[3] = {0, 0, 0};
    double radius = 1;
};

// Reads the model into the document; a model that does not read gives a box with the reason
// and returns false.
bool LoadModelWindow(OPENEDFILE* of, const std::string& path);
void ModelInit();
void ModelReshape(int width, int height);
void ModelDisplay(OPENEDFILE* of);
