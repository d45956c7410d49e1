#include "gl/gl_scene.h"

#include "gl/dxf_display.h"
#include "gl/gl_scenes.h"
#include "gl/model_display.h"

#include <QWidget>

namespace {

class DxfScene : public GLScene {
    void create(QWidget*, int, int, double) override { mydxfinit(); }
    void reshape(int width, int height) override { mydxfReshape(width, height); }
    void paint(OPENEDFILE* of) override { dxfdisplay(of); }
};

class ModelScene : public GLScene {
    void create(QWidget*, int, int, double) override { ModelInit(); }
    void reshape(int width, int height) override { ModelReshape(width, height); }
    void paint(OPENEDFILE* of) override { ModelDisplay(of); }
    bool depthGrey(OPENEDFILE* of, const float* depth, int w, int h, std::vector<uint16_t>& grey) override {
        return ModelDepthGrey(of, depth, w, h, grey);
    }
    void release(OPENEDFILE* of) override { ModelRelease(of); }
};

// The globe with cone and cylinder ("&GL Aux").
class ObjectsScene : public GLScene {
    void create(QWidget* window, int width, int height, double dpr) override {
        createObjects();
        window->resize(int(width * dpr), int(height * dpr));
    }
    void reshape(int, int) override {}
    void paint(OPENEDFILE* of) override { drawScene(of); }
};

// The fog set-up ("&GL 1").
class FogScene : public GLScene {
    void create(QWidget*, int, int, double) override { myfoginit(); }
    void reshape(int width, int height) override { myfogReshape(width, height); }
    void paint(OPENEDFILE*) override { fogdisplay(); }
};

}  // namespace

std::unique_ptr<GLScene> MakeGLScene(DocKind kind) {
    switch (kind) {
    case DocKind::Dxf: return std::make_unique<DxfScene>();
    case DocKind::Model: return std::make_unique<ModelScene>();
    case DocKind::GLAux: return std::make_unique<ObjectsScene>();
    case DocKind::GL1: return std::make_unique<FogScene>();
    default: return nullptr;
    }
}
