// OpenGL windows on a real GL context (run under xvfb-run with Mesa).
#include "app/MainFrame.h"
#include "documents/opened_file.h"
#include "gl/OpenGLChild.h"
#include "gl/dxf_display.h"
#include "gl/view_state.h"
#include "platform/message_box.h"
#include "workspace/frame_globals.h"
#include "workspace/status_line.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

OpenGLChild* Child(OPENEDFILE* of) { return of ? qobject_cast<OpenGLChild*>(of->hwnd.data()) : nullptr; }

// Paints the window now (on its own context) and returns what it shows.
QImage Paint(OpenGLChild* c) { return c->view()->grabFramebuffer(); }

void Wheel(QWidget* w, int delta, Qt::MouseButtons buttons = Qt::NoButton, Qt::KeyboardModifiers mods = {}) {
    QPointF at(20, 20);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), buttons, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

void Move(QWidget* w, int x, int y) {
    QPointF at(x, y);
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

struct Colours {
    int red = 0, green = 0, blue = 0, black = 0;
};

Colours Count(const QImage& img) {
    Colours c;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb p = img.pixel(x, y);
            int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (r > 200 && g < 60 && b < 60) ++c.red;
            else if (g > 200 && r < 60 && b < 60) ++c.green;
            else if (b > 200 && r < 60 && g < 60) ++c.blue;
            else if (r == 0 && g == 0 && b == 0) ++c.black;
        }
    return c;
}

// DXF text from its lines, given here separated by blanks.
std::string Dxf(std::string lines) {
    std::replace(lines.begin(), lines.end(), ' ', '\n');
    return lines + "\n";
}

class GLWindows : public testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display (xvfb-run)";
        frame_ = new QMainWindow;
        area_ = new QMdiArea;
        frame_->setCentralWidget(area_);
        hwndFrame = frame_;
        hwndClient = area_;
        CreateStatusLine(frame_);
        frame_->resize(900, 700);
        frame_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
        SetStatusWidths(0, area_->height(), area_->width());
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override {
        delete frame_;
        hwndFrame = nullptr;
        hwndClient = nullptr;
    }

    std::string WriteDxf(const char* name, const std::string& text) {
        std::string path = dir_.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    platform::MessageRecorder boxes_;
    QMainWindow* frame_ = nullptr;
    QMdiArea* area_ = nullptr;
    QTemporaryDir dir_;
};

const std::string kFaces = Dxf("0 SECTION 2 ENTITIES 0 3DFACE 8 0 10 -2.5 20 0.0 30 0.0 11 7.9 21 0.0 31 0.0 "
                                "12 0.0 22 1.0 32 0.0 13 0.0 23 1.0 33 0.0 0 ENDSEC 0 EOF");
const std::string kNoFaces = Dxf("0 SECTION 2 ENTITIES 0 ENDSEC 0 EOF");

TEST_F(GLWindows, AuxAndFogWindowsDrawAndShareTheViewThatWheelMouseAndKeysTurn) {
    radius = 1.0;
    OpenGLChild* c = Child(CreateGLChild("TEST", 500));
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->view()->format().profile(), QSurfaceFormat::CoreProfile);
    EXPECT_GE(c->view()->format().depthBufferSize(), 16);
    c->subWindow()->resize(520, 440);
    int before = c->swapCount();
    QImage img = Paint(c);
    EXPECT_EQ(c->swapCount(), before + 1);
    EXPECT_STREQ(StatusText(0), "Lat:0.00 Lon:0.00 R:4.50");
    img.save("/tmp/gl_aux.png");
    Colours n = Count(img);  // indices 16, 13 and 14 on index 0
    EXPECT_GT(n.blue, 400) << "globe lines";
    EXPECT_GT(n.red, 150) << "cone";
    EXPECT_GT(n.green, 400) << "cylinder";
    EXPECT_GT(n.black, img.width() * img.height() / 2);
    EXPECT_TRUE(boxes_.boxes.empty());

    QWidget* v = c->view();
    Wheel(v, 120);  // away from the user
    Wheel(v, 120);
    Wheel(v, -120);
    Wheel(v, 120, Qt::LeftButton);
    Wheel(v, 120, Qt::NoButton, Qt::ShiftModifier);
    Wheel(v, 120, Qt::NoButton, Qt::ControlModifier);
    lastpos = 0;
    Move(v, 100, 100);  // down and right of (0, 0)
    Move(v, 400, 50);   // right and up, however far
    Paint(c);
    EXPECT_STREQ(StatusText(0), "Lat:0.00 Lon:1.00 R:4.40");

    OpenGLChild* b = Child(CreateGLChild("TEST", 501));
    ASSERT_NE(b, nullptr);
    img = Paint(b);
    Paint(b);
    EXPECT_EQ(b->swapCount(), 0) << "the fog window never swaps";
    EXPECT_EQ(Count(img).black, img.width() * img.height());
    EXPECT_STREQ(StatusText(0), "Lat:0.00 Lon:0.00 R:4.50") << "a new window resets the view";
    Move(b->view(), 399, 51);  // compared with the last position in the other window
    Paint(c);
    EXPECT_STREQ(StatusText(0), "Lat:0.50 Lon:-0.50 R:4.50");

    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(v, k);
    Paint(c);
    EXPECT_STREQ(StatusText(0), "Lat:-5.50 Lon:2.00 R:4.50");
}

TEST_F(GLWindows, DepthViewOfTheDemoSceneIsWhiteAtItsNearestPointAndBlackWhereNothingIsDrawn) {
    OpenGLChild* c = Child(CreateGLChild("TEST", 500));
    ASSERT_NE(c, nullptr);
    c->subWindow()->resize(420, 330);
    const QImage img = Paint(c);
    int w = 0, h = 0;
    std::vector<uint16_t> grey;
    ASSERT_TRUE(c->depthView(w, h, grey));
    ASSERT_EQ(img.size(), QSize(w, h));
    int background = 0, nearest = 0, between = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint16_t g = grey[size_t(y) * size_t(w) + size_t(x)];
            const bool drawn = (img.pixel(x, y) & 0xFFFFFF) != 0;
            if (!drawn) {
                EXPECT_EQ(g, 0) << x << "," << y;
            }
            background += !drawn;
            nearest += drawn && g == 65535;
            between += drawn && g > 0 && g < 65535;
        }
    EXPECT_GT(background, w * h / 2);
    EXPECT_GT(nearest, 0);
    EXPECT_GT(between, 1000);
}

TEST_F(GLWindows, DxfFileOpensAnOpenGLWindowThatReportsRangeAndPaintsOnlyWithACurrentObject) {
    std::string with = WriteDxf("DRAWING.DXF", kFaces), without = WriteDxf("empty.dxf", kNoFaces);
    FileOpenMsg(with);
    ASSERT_EQ(area_->subWindowList().size(), 1);
    auto* a = qobject_cast<OpenGLChild*>(area_->subWindowList()[0]->widget());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->record()->Type, 0);
    EXPECT_EQ(a->windowTitle().toStdString(), with);
    EXPECT_STREQ(StatusText(1), "axis  -1.00 - 8.00");
    EXPECT_NE(CurrentDxfObject(), nullptr);
    int before = a->swapCount();
    QImage img = Paint(a);
    EXPECT_EQ(a->swapCount(), before + 1);
    // The sphere of list 1 lies nearer than the near plane: only the background shows.
    EXPECT_EQ(Count(img).black, img.width() * img.height());

    OpenGLChild* b = Child(CreateGLChild(without, 0));
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(StatusText(1), "axis  1024001.00 - -1023999.00");
    EXPECT_EQ(CurrentDxfObject(), nullptr);
    before = a->swapCount();
    Paint(a);
    Paint(b);
    EXPECT_EQ(a->swapCount(), before) << "the drawing read last decides for every DXF window";
    EXPECT_EQ(b->swapCount(), 0);
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(GLWindows, FailuresShowAnErrorBoxAndTheProgramGoesOn) {
    bool (*saved)() = GLContextProbe;
    GLContextProbe = [] { return false; };
    EXPECT_EQ(CreateGLChild("TEST", 500), nullptr);
    GLContextProbe = saved;
    EXPECT_EQ(FirstFileStruct(), nullptr);
    EXPECT_TRUE(area_->subWindowList().isEmpty());

    std::string bad = WriteDxf("bad.dxf", Dxf("0 SECTION 2 HEADER 9 $ACADVER 0 EOF"));
    SetObj(std::make_unique<FaceList>());
    EXPECT_NE(CreateGLChild(bad, 0), nullptr) << "an unreadable drawing still opens its window";
    EXPECT_EQ(CurrentDxfObject(), nullptr);
    ASSERT_EQ(boxes_.boxes.size(), 2u);
    EXPECT_EQ(boxes_.boxes[0].text, "ChoosePixelFormat failed");
    EXPECT_EQ(boxes_.boxes[1].text,
              "The drawing could not be read:\n" + bad + "\nHEADER section not closed before EOF");
    for (const auto& box : boxes_.boxes) EXPECT_EQ(box.caption, "Error");
}

TEST_F(GLWindows, CloseAsksOnlyWhenChangedAndRemovesTheRecord) {
    OPENEDFILE* of = CreateGLChild("TEST", 500);
    ASSERT_NE(of, nullptr);
    QPointer<OpenGLChild> c = Child(of);
    of->Changed = 1;
    boxes_.answers = {platform::IDCANCEL};
    c->subWindow()->close();
    QApplication::processEvents();
    ASSERT_FALSE(c.isNull());
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, "OK to close?");
    EXPECT_EQ(boxes_.boxes[0].caption, "Sure about this?");
    EXPECT_EQ(boxes_.boxes[0].flags, platform::MB_OKCANCEL | platform::MB_ICONQUESTION);

    of->Changed = 0;
    c->subWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(c.isNull());
    EXPECT_EQ(FirstFileStruct(), nullptr);
    EXPECT_EQ(boxes_.boxes.size(), 1u);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
