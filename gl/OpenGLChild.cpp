#include "gl/OpenGLChild.h"

#include "gl/depth_view.h"
#include "gl/dxf_display.h"
#include "gl/gl_layer.h"
#include "gl/gl_scene.h"
#include "gl/gl_scenes.h"
#include "gl/model_display.h"
#include "gl/view_state.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"

#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <sys/mman.h>

namespace {
QSurfaceFormat GLFormat() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    f.setDepthBufferSize(16);
    f.setStencilBufferSize(0);
    return f;
}

// Mesa's software renderer reserves about 600 MB of address space when a context first
// draws, and aborts or crashes when it cannot; under an address-space limit (ulimit -v) the
// window is refused before that. Without a limit the reservation always succeeds.
bool RoomForGLDriver() {
    constexpr size_t kRoom = size_t(640) << 20;
    void* p = ::mmap(nullptr, kRoom, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return false;
    ::munmap(p, kRoom);
    return true;
}

bool ProbeContext() {
    QOpenGLContext ctx;
    ctx.setFormat(GLFormat());
    return ctx.create() && !ctx.isOpenGLES() && ctx.format().profile() != QSurfaceFormat::CoreProfile &&
           ctx.format().depthBufferSize() >= 16;
}
}  // namespace

bool (*GLContextProbe)() = ProbeContext;

// The drawing surface; its events go to the window that holds it.
class GLView : public QOpenGLWidget {
public:
    explicit GLView(OpenGLChild* owner) : QOpenGLWidget(owner), owner_(owner) {
        setFormat(GLFormat());
        setMouseTracking(true);  // moves turn the view with no button held
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void initializeGL() override { owner_->GL_Create(); }
    void resizeGL(int w, int h) override { owner_->GL_Size(w, h); }
    void paintGL() override { owner_->paintScene(); }

    void mouseMoveEvent(QMouseEvent* e) override {
        SharedView.mouseMove(int(e->position().x()), int(e->position().y()));
        update();
    }
    void wheelEvent(QWheelEvent* e) override {
        int delta = e->angleDelta().y();
        if (delta == 0) {  // a sideways wheel is another message
            e->ignore();
            return;
        }
        bool held = e->buttons() != Qt::NoButton || (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
        SharedView.wheel(delta, held);
        update();
    }
    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
        case Qt::Key_Left: SharedView.arrowKey(ArrowKey::Left); break;
        case Qt::Key_Right: SharedView.arrowKey(ArrowKey::Right); break;
        case Qt::Key_Up: SharedView.arrowKey(ArrowKey::Up); break;
        case Qt::Key_Down: SharedView.arrowKey(ArrowKey::Down); break;
        default: QOpenGLWidget::keyPressEvent(e); return;
        }
        update();
    }

private:
    OpenGLChild* owner_;
};

int OpenGLChild::liveWindows = 0;

OpenGLChild::OpenGLChild(OPENEDFILE* of) : MdiChild(of), view_(new GLView(this)), scene_(of ? MakeGLScene(of->Type) : nullptr) {
    ++liveWindows;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);
}

OpenGLChild::~OpenGLChild() {
    if (listBase_ && view_->context()) {
        view_->makeCurrent();
        glDeleteLists(listBase_, 3);
        if (scene_) scene_->release(record());
        view_->doneCurrent();
    }
    DelFileStruct(this);
    // The shared view's line goes with the last window that shows it.
    if (--liveWindows == 0) FrameStatusf(0, "%s", "");
}

QOpenGLWidget* OpenGLChild::view() const { return view_; }

void OpenGLChild::makeTargetCurrent() { SetCurrentGLTarget(&palette_, listBase_); }

void OpenGLChild::GL_Create() {
    OPENEDFILE* of = record();
    if (!of) {
        platform::MessageBox(nullptr, "Error", "WM_CREATE");
        return;
    }
    listBase_ = glGenLists(3);
    makeTargetCurrent();
    int w = view_->width(), h = view_->height();
    initializeGL(w, h);
    of->Xclient = w;
    of->Yclient = h;
    of->Xscroll = of->Yscroll = 0;
    if (scene_) scene_->create(this, w, h, view_->devicePixelRatio());
    else platform::MessageBox(nullptr, "Create", "No GL Type");
}

void OpenGLChild::GL_Size(int x, int y) {
    OPENEDFILE* of = record();
    if (!of) return;
    makeTargetCurrent();
    of->Xclient = x;
    of->Yclient = y;
    of->Xscroll = of->Yscroll = 0;
    const double dpr = view_->devicePixelRatio();
    const int w = int(x * dpr), h = int(y * dpr);
    QWidget::resize(w, h);
    if (scene_) scene_->reshape(w, h);
    else platform::MessageBox(nullptr, "Size", "No GL Type");
}

void OpenGLChild::paintScene() {
    OPENEDFILE* of = record();
    if (!of) return;
    makeTargetCurrent();
    FrameStatusf(0, "Lat:%.2f Lon:%.2f R:%.2f", double(SharedView.latitude), double(SharedView.longitude), SharedView.radius);
    if (scene_) scene_->paint(of);
    glGetDoublev(GL_PROJECTION_MATRIX, projection_);
    painted_ = true;
}

bool OpenGLChild::depthView(int& width, int& height, std::vector<uint16_t>& grey) {
    if (!painted_) view_->grabFramebuffer();
    if (!painted_ || !view_->isValid()) return false;
    const qreal dpr = view_->devicePixelRatioF();
    width = int(view_->width() * dpr);
    height = int(view_->height() * dpr);
    if (width <= 0 || height <= 0) return false;
    std::vector<float> depth(size_t(width) * size_t(height));
    view_->makeCurrent();  // binds the window's frame buffer, which keeps the last frame
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    view_->doneCurrent();
    // A model's depth comes out as on the command line; the other scenes span what they drew.
    if (!scene_ || !scene_->depthGrey(record(), depth.data(), width, height, grey))
        grey = DepthBufferToGrey16(depth.data(), width, height, projection_);
    return true;
}

bool OpenGLChild::queryClose() {
    if (QMdiSubWindow* sub = subWindow(); sub && FrameMdiArea()) FrameMdiArea()->setActiveSubWindow(sub);
    return confirmDiscard();
}

void SwapGLBuffers(OPENEDFILE* of) {
    glFlush();
    if (auto* child = of ? qobject_cast<OpenGLChild*>(of->hwnd.data()) : nullptr) child->countSwap();
}

OPENEDFILE* CreateGLChild(const std::string& title, DocKind type) {
    if (!FrameMdiArea()) return nullptr;
    OPENEDFILE* of = AddFileStruct(nullptr, title);
    if (!of) return nullptr;
    of->Type = type;
    auto* child = new OpenGLChild(of);
    child->setWindowTitle(QString::fromStdString(title));
    if (!RoomForGLDriver()) {
        platform::MessageBox(FrameWindow(), "not enough memory for an OpenGL window", szMBTitle, platform::MB_OK);
        delete child;
        return nullptr;
    }
    if (!GLContextProbe()) {
        platform::MessageBox(nullptr, "ChoosePixelFormat failed", "Error");
        delete child;  // takes the record with it
        return nullptr;
    }
    // The drawing is read before the window shows; a refused one leaves no window.
    if (type == DocKind::Dxf) {
        of->ClientData = std::make_unique<DXF_DATA>();
        if (!display_gl_obj(of, of->Filename.c_str())) {
            delete child;
            return nullptr;
        }
    }
    if (type == DocKind::Model) {
        of->ClientData = std::make_unique<MODEL_DATA>();
        if (!LoadModelWindow(of, of->Filename)) {
            delete child;
            return nullptr;
        }
    }
    QMdiSubWindow* sub = AddChildWindow(child);
    if (child->view()->isVisible() && !child->view()->isValid()) {
        platform::MessageBox(nullptr, "ChoosePixelFormat failed", "Error");
        delete sub;
        return nullptr;
    }
    QObject::connect(sub, &QMdiSubWindow::aboutToActivate, child->view(), qOverload<>(&QWidget::update));
    return GetFileStruct(child);
}
