#pragma once
// What an OpenGL window shows, chosen once from its document's kind: the DXF drawing or one
// of the two demonstration scenes. Each runs on the window's current context.
#include "documents/opened_file.h"

#include <cstdint>
#include <memory>
#include <vector>

class GLScene {
public:
    virtual ~GLScene() = default;
    // After the common start; `window` is the document window, `dpr` its device pixel ratio.
    virtual void create(QWidget* window, int width, int height, double dpr) = 0;
    // The drawing surface is now width x height device pixels.
    virtual void reshape(int width, int height) = 0;
    virtual void paint(OPENEDFILE* of) = 0;
    // The last paint's depth buffer as depth grey when the scene has its own scale for it.
    virtual bool depthGrey(OPENEDFILE*, const float*, int, int, std::vector<uint16_t>&) { return false; }
    // Before the window goes, with its context current.
    virtual void release(OPENEDFILE*) {}
};

// The scene of a document kind; null for a kind that has none.
std::unique_ptr<GLScene> MakeGLScene(DocKind kind);
