#pragma once
// The OpenGL document window: a DXF drawing or a demonstration scene, drawn on a context of
// its own.
#include "gl/gl_palette.h"
#include "workspace/mdi_child.h"

#include <memory>
#include <string>

class GLScene;
class GLView;
class QOpenGLWidget;

class OpenGLChild : public MdiChild {
    Q_OBJECT
public:
    explicit OpenGLChild(OPENEDFILE* of);
    ~OpenGLChild() override;

    bool queryClose() override;

    bool hasDepthView() const override { return true; }
    // The depth buffer as last painted (painted first when it never was), nearest white.
    bool depthView(int& width, int& height, std::vector<uint16_t>& grey) override;

    QOpenGLWidget* view() const;
    // How many frames this window has finished with a buffer swap.
    int swapCount() const { return swaps_; }
    void countSwap() { ++swaps_; }

private:
    friend class GLView;
    void GL_Create();
    void GL_Size(int x, int y);
    void paintScene();
    void makeTargetCurrent();

    GLView* view_;
    std::unique_ptr<GLScene> scene_;  // chosen once from the document's kind
    GLPalette palette_ = DefaultGLPalette();
    unsigned int listBase_ = 0;
    int swaps_ = 0;
    bool painted_ = false;
    double projection_[16] = {};  // the projection of the last paint
    static int liveWindows;       // OpenGL windows in being, on the one UI thread
};

// Creates the record and the window; null (after "ChoosePixelFormat failed") when no
// suitable context can be made. For a DXF drawing `title` names the drawing to read, and a
// drawing that is refused (after its message) leaves no window either.
OPENEDFILE* CreateGLChild(const std::string& title, DocKind type);

// Whether a compatibility-profile context with a depth buffer can be made; tests replace it.
extern bool (*GLContextProbe)();
