// OpenGL windows on a real GL context (run under xvfb-run with Mesa).
#include "app/MainFrame.h"
#include "app/file_open.h"
#include "documents/opened_file.h"
#include "gl/OpenGLChild.h"
#include "gl/view_state.h"
#include "model/mesh_depth.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/status_line.h"
#include "tests/common/test_files.h"
#include "tests/dxf/dxf_text.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>

namespace {

OpenGLChild* Child(OPENEDFILE* of) { return of ? qobject_cast<OpenGLChild*>(of->hwnd.data()) : nullptr; }

// Paints the window now (on its own context) and returns what it shows.
QImage Paint(OpenGLChild* c) { return c->view()->grabFramebuffer(); }

void Move(QWidget* w, int x, int y) {
    QPointF at(x, y);
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Pixels with each channel less than `within` from the colour `c`.
int Count(const QImage& img, QRgb c, int within = 56) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) for (int x = 0; x < img.width(); ++x) {
        const QRgb p = img.pixel(x, y);
        n += std::abs(qRed(p) - qRed(c)) < within && std::abs(qGreen(p) - qGreen(c)) < within &&
             std::abs(qBlue(p) - qBlue(c)) < within;
    }
    return n;
}

// The program's frame, as the windows meet it.
struct GLWindows : testing::Test {
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display (xvfb-run)";
        frame_ = StartFrame(""), frame_->resize(900, 700);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
    }
    void TearDown() override { delete frame_; }

    std::string WriteDxf(const char* name, const std::string& text) {
        return WriteFileBytes(dir_ / name, {text.begin(), text.end()});
    }

    platform::MessageRecorder boxes_;
    MainFrame* frame_ = nullptr;
    const TempDir dir_{"orvalis-gl"};
};

// A cube from -2.5 to 7.9 on every axis as six 3DFACEs; corner c lies at 7.9 on axis a when bit a of c is set.
std::string Cube() {
    std::string faces;
    for (const char* f : {"0132", "4576", "0154", "2376", "0264", "1375"}) {
        std::string corners;
        for (const char* c = f; *c; ++c) for (int a = 0; a < 3; ++a) corners += (*c - '0') >> a & 1 ? " 7.9" : " -2.5";
        faces += Face3D(corners);
    }
    return Entities(faces);
}

TEST_F(GLWindows, AuxAndFogWindowsDrawTheOneSharedView) {
    SharedView.radius = 1.0;
    const WId native = frame_->winId();
    OpenGLChild* c = Child(CreateGLChild("TEST", DocKind::GLAux));
    ASSERT_NE(c, nullptr);
    QApplication::processEvents();
    // The frame composes through OpenGL from the start: the first OpenGL window does not make the
    // toolkit recreate the frame's native window (a flicker under a window manager).
    EXPECT_EQ(frame_->winId(), native);
    EXPECT_NE(c->view()->format().profile(), QSurfaceFormat::CoreProfile);
    EXPECT_GE(c->view()->format().depthBufferSize(), 16);
    c->subWindow()->resize(520, 440);
    int before = c->swapCount();
    QImage img = Paint(c);
    EXPECT_EQ(c->swapCount(), before + 1);
    EXPECT_STREQ(StatusText(0), "Lat:0.00 Lon:0.00 R:4.50");
    if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) img.save(QString(out) + "/gl-aux.png");
    // Indices 16, 13 and 14 on index 0.
    EXPECT_GT(Count(img, qRgb(0, 0, 255)), 400) << "globe lines";
    EXPECT_GT(Count(img, qRgb(255, 0, 0)), 150) << "cone";
    EXPECT_GT(Count(img, qRgb(0, 255, 0)), 400) << "cylinder";
    EXPECT_GT(Count(img, qRgb(0, 0, 0), 1), img.width() * img.height() / 2);
    EXPECT_TRUE(boxes_.boxes.empty());

    QWidget* v = c->view();
    const std::tuple<int, Qt::MouseButtons, Qt::KeyboardModifiers> wheels[] = {  // 120: away from the user
        {120, Qt::NoButton, {}}, {120, Qt::NoButton, {}}, {-120, Qt::NoButton, {}}, {120, Qt::LeftButton, {}},
        {120, Qt::NoButton, Qt::ShiftModifier}, {120, Qt::NoButton, Qt::ControlModifier}};
    for (const QPointF at(20, 20); auto [delta, buttons, mods] : wheels) {
        QWheelEvent e(at, v->mapToGlobal(at), {}, {0, delta}, buttons, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(v, &e);
    }
    SharedView.lastpos = 0;
    Move(v, 100, 100);  // down and right of (0, 0)
    Move(v, 400, 50);   // right and up, however far
    Paint(c);
    EXPECT_STREQ(StatusText(0), "Lat:0.00 Lon:1.00 R:4.40");

    OpenGLChild* b = Child(CreateGLChild("TEST", DocKind::GL1));
    ASSERT_NE(b, nullptr);
    img = Paint(b);
    Paint(b);
    EXPECT_EQ(b->swapCount(), 0) << "the fog window never swaps";
    EXPECT_EQ(Count(img, qRgb(0, 0, 0), 1), img.width() * img.height());
    EXPECT_STREQ(StatusText(0), "Lat:0.00 Lon:0.00 R:4.50") << "a new window resets the view";
    Move(b->view(), 399, 51);  // compared with the last position in the other window
    Paint(c);
    EXPECT_STREQ(StatusText(0), "Lat:0.50 Lon:-0.50 R:4.50");

    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(v, k);
    Paint(c);
    EXPECT_STREQ(StatusText(0), "Lat:-5.50 Lon:2.00 R:4.50");

    frame_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame_));  // shortcuts need an active window
    QTest::keyClick(frame_, Qt::Key_F1);  // help at the OpenGL keys
    auto* tabs = frame_->findChild<QTabWidget*>("helpTabs");
    EXPECT_EQ(tabs ? tabs->currentWidget()->objectName() : QString(), "keysOpenGL");
    // The view's line stays while an OpenGL window shows it and goes with the last one.
    for (OpenGLChild* gone : {c, b}) {
        gone->subWindow()->close(), QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(std::string(StatusText(0)).empty(), gone == b);
    }
}

// Each DXF window paints its own faces, lit, fitted to the window and turned by the shared
// view; a drawing without faces paints nothing; a refused one, or any window without a suitable
// context, leaves an error box and no window (nor range).
// The depth view of the cube: seen head-on its front face is nearest all over (white), turned its
// nearest corner is white and the faces slope away from it; where nothing is drawn it is black.
TEST_F(GLWindows, EachReadableDrawingGetsAWindowPaintingItUnderTheSharedView) {
    std::string cube = WriteDxf("CUBE.DXF", Cube()), empty = WriteDxf("empty.dxf", Entities(""));
    FileOpenMsg(cube);
    ASSERT_EQ(FrameMdiArea()->subWindowList().size(), 1);
    auto* a = qobject_cast<OpenGLChild*>(FrameMdiArea()->subWindowList()[0]->widget());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->record()->Type, DocKind::Dxf);
    EXPECT_EQ(a->windowTitle().toStdString(), cube);
    EXPECT_STREQ(StatusText(1), "axis  -1.00 - 8.00");
    a->subWindow()->resize(400, 340);
    int before = a->swapCount();
    const QImage front = Paint(a);
    EXPECT_EQ(a->swapCount(), before + 1);
    const int w = front.width(), h = front.height();
    auto black = [](const QImage& img, int x, int y) { return (img.pixel(x, y) & 0xFFFFFF) == 0; };
    EXPECT_FALSE(black(front, w / 2, h / 2)) << "the cube over the middle";
    for (QPoint c : {QPoint(2, 2), QPoint(w - 3, 2), QPoint(2, h - 3), QPoint(w - 3, h - 3)})
        EXPECT_TRUE(black(front, c.x(), c.y())) << "background at the corner " << c.x() << "," << c.y();
    auto expectDepth = [&](const QImage& img, bool turned) {
        int dw = 0, dh = 0, drawn = 0, nearest = 0;
        std::vector<uint16_t> grey;
        ASSERT_TRUE(a->depthView(dw, dh, grey));
        ASSERT_EQ(img.size(), QSize(dw, dh));
        for (int y = 0; y < h; ++y) for (int x = 0; x < w; ++x) {
            const uint16_t g = grey[size_t(y) * size_t(w) + size_t(x)];
            if (black(img, x, y)) { ASSERT_EQ(g, 0) << x << "," << y; }
            drawn += !black(img, x, y);
            nearest += g == 65535;
        }
        EXPECT_GT(drawn, w * h / 10);
        EXPECT_EQ(grey[size_t(h / 2) * size_t(w) + size_t(w / 2)] == 65535, !turned);
        EXPECT_TRUE(turned ? nearest > 0 && nearest < drawn / 100 : nearest == drawn) << nearest << " of " << drawn;
    };
    expectDepth(front, false);
    for (Qt::Key k : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left})
        QTest::keyClick(a->view(), k);
    const QImage turned = Paint(a);
    EXPECT_NE(turned, front) << "turning the view turns the drawing";
    expectDepth(turned, true);
    if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) turned.save(QString(out) + "/dxf-cube-turned.png");

    OpenGLChild* b = Child(CreateGLChild(empty, DocKind::Dxf));
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(StatusText(1), "axis  1024001.00 - -1023999.00");
    before = a->swapCount();
    Paint(a);
    Paint(b);
    EXPECT_EQ(a->swapCount(), before + 1) << "each window keeps its own drawing";
    EXPECT_EQ(b->swapCount(), 0);

    const std::string bad = WriteDxf("bad.dxf", D("0 SECTION 2 HEADER 9 $ACADVER 0 EOF"));
    const std::string big = WriteDxf("big.dxf", Entities(D("0 POLYLINE 8 0 72 683 0 VERTEX 8 0 10 1.0 0 SEQEND")));
    for (const std::string& path : {bad, big, dir_ / "none.dxf"}) {
        EXPECT_EQ(CreateGLChild(path, DocKind::Dxf), nullptr) << path;
        EXPECT_STREQ(StatusText(1), "") << path;
    }
    bool (*probe)() = GLContextProbe;
    GLContextProbe = [] { return false; };  // no suitable context
    EXPECT_EQ(CreateGLChild("TEST", DocKind::GLAux), nullptr);
    GLContextProbe = probe;
    EXPECT_TRUE(FrameMdiArea()->subWindowList().size() == 2 && GetLastFileStruct() == b->record());
    ASSERT_EQ(boxes_.boxes.size(), 4u);
    EXPECT_EQ(boxes_.boxes[0].text, "The drawing could not be read:\n" + bad + "\nHEADER section not closed before EOF");
    EXPECT_EQ(boxes_.boxes[1].text, "The drawing could not be read:\n" + big +
                                        "\nThe drawing has more points per face than this reader holds (683, at most 682).");
    EXPECT_EQ(boxes_.boxes[2].caption, "Error");
    EXPECT_EQ(boxes_.boxes[3].text + "/" + boxes_.boxes[3].caption, "ChoosePixelFormat failed/Error");
}

// A model opens as an OpenGL window whose depth view shows it in the middle and nothing at the
// corners; one that Assimp refuses gives a box with its reason and no window.
TEST_F(GLWindows, ModelsOpenThroughAssimpAndRefusalsLeaveNoWindow) {
    const std::string tetra = WriteDxf("tetra.obj", "v -1 -1 -1\nv 1 1 -1\nv 1 -1 1\nv -1 1 1\nf 1 2 3\nf 1 3 4\nf 1 4 2\nf 2 4 3\n");
    const std::string empty = WriteDxf("empty.stl", ""), points = WriteDxf("points.obj", "v 0 0 0\nv 1 0 0\n");
    const std::string cut = std::string(80, ' ') + std::string("\x02\0\0\0", 4) + std::string(50, '\0');  // 2 faces promised, 1 held
    const std::string truncated = WriteDxf("cut.stl", cut), lines = WriteDxf("lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n");
    FileOpenMsg(tetra), FileOpenMsg(empty), FileOpenMsg(points), FileOpenMsg(truncated), FileOpenMsg(lines);
    EXPECT_EQ(CreateGLChild(WriteDxf("tetra.xyzzy", "v 0 0 0\n"), DocKind::Model), nullptr);
    ASSERT_EQ(FrameMdiArea()->subWindowList().size(), 1);
    auto* a = qobject_cast<OpenGLChild*>(FrameMdiArea()->subWindowList()[0]->widget());
    ASSERT_TRUE(a && a->record()->Type == DocKind::Model);
    a->subWindow()->resize(300, 260);
    Paint(a);
    int w = 0, h = 0;
    std::vector<uint16_t> grey;
    ASSERT_TRUE(a->depthView(w, h, grey));
    EXPECT_GT(grey[size_t(h / 2) * w + w / 2], 0);
    EXPECT_EQ(grey[0] + grey[size_t(w) * h - 1], 0);
    ASSERT_EQ(boxes_.boxes.size(), 5u);
    EXPECT_EQ(boxes_.boxes[3].text, "The model could not be read:\n" + lines + "\nthe model has no faces");
    EXPECT_EQ(boxes_.boxes[4].text, "The model could not be read:\n" + dir_ / "tetra.xyzzy" + "\n'.xyzzy' is not a model format Assimp reads");
    EXPECT_EQ(boxes_.boxes[0].text, "The model could not be read:\n" + empty + "\nthe file is empty");
    EXPECT_EQ(boxes_.boxes[2].text, "The model could not be read:\n" + truncated + "\nthe model cannot be read: Failed to determine STL storage representation for " + truncated);
    EXPECT_EQ(boxes_.boxes[1].text, "The model could not be read:\n" + points +
                                        "\nthe model cannot be read: Validation failed: Mesh  contains no faces");
}

// The window's depth (the path "set as Depth view" takes) against the command line's for the same
// view and size: within 1/256 of the range on 99% of the pixels. The window's angles are turned into
// the command line's by hand; the last row turns the mesh a quarter about z itself, keeping its box.
TEST_F(GLWindows, ModelWindowDepthAgreesWithTheCommandLine) {
    const std::string knot = std::string(ORVALIS_SOURCE_DIR) + "/samples/knot.stl";
    const MeshResult read = ReadModelFile(knot);
    ASSERT_TRUE(read.ok) << read.error;
    const double rows[][6] = {// latitude, longitude, eye distance, turn about x, about z, zoom
                              {0, 0, 4.5, 0, 0, 1}, {0, 90, 4.5, 0, 90, 1}, {30, 0, 3.0, -30, 0, 1.5}, {-24, 90, 5.0, 24, 0, 0.9}};
    OpenGLChild* c = Child(CreateGLChild(knot, DocKind::Model));
    ASSERT_TRUE(c);
    c->subWindow()->resize(330, 290);
    for (const auto& [lat, lon, eye, tx, tz, zoom] : rows) {
        SharedView.latitude = float(lat), SharedView.longitude = float(lon), SharedView.radius = eye;
        Paint(c);
        MeshView view;
        std::vector<uint16_t> window, line;
        ASSERT_TRUE(c->depthView(view.width, view.height, window));
        Mesh mesh = read.mesh;
        for (size_t i = 0; tx > 0 && i < mesh.points.size(); i += 3) mesh.points[i] = -std::exchange(mesh.points[i + 1], mesh.points[i]);
        view.turnX = tx, view.turnZ = tz, view.zoom = zoom;
        ASSERT_TRUE(RenderMeshDepth(mesh, view, line));
        size_t agree = 0;
        for (size_t i = 0; i < line.size(); ++i) agree += std::abs(int(line[i]) - int(window[i])) <= 256;
        EXPECT_GE(double(agree), 0.99 * double(line.size())) << lat << "," << lon;
        EXPECT_LT(std::count(line.begin(), line.end(), 0), ptrdiff_t(line.size() * 9 / 10));
    }
    SharedView.reset();
}

// A mesh of a million faces (a wavy sheet, as a binary PLY) opens and draws from the window's buffers.
TEST_F(GLWindows, MillionFaceModelOpensAndDraws) {
    constexpr int kSide = 709;  // points a side: 2 * 708 * 708 faces
    std::string ply = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(kSide * kSide) +
                      "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                      std::to_string(2 * (kSide - 1) * (kSide - 1)) + "\nproperty list uchar int vertex_indices\nend_header\n";
    const auto put = [&ply](auto... v) { (ply.append(reinterpret_cast<const char*>(&v), sizeof v), ...); };
    for (int i = 0; i < kSide * kSide; ++i) put(float(i % kSide), float(i / kSide), float(20 * std::sin(i % kSide * 0.05)));
    for (int a = 0; a < kSide * (kSide - 1); ++a)
        if (a % kSide + 1 < kSide) put(uint8_t(3), a, a + 1, a + kSide + 1, uint8_t(3), a, a + kSide + 1, a + kSide);
    OpenGLChild* c = Child(CreateGLChild(WriteDxf("grid.ply", ply), DocKind::Model));
    ASSERT_TRUE(c) << (boxes_.boxes.empty() ? "" : boxes_.boxes[0].text);
    c->subWindow()->resize(300, 260);
    const QImage shown = Paint(c);
    EXPECT_GT(shown.width() * shown.height() - Count(shown, qRgb(0, 0, 0), 8), shown.width() * shown.height() / 4);
}

}  // namespace
