// The Mandelbrot window offscreen: opening, runs to the end, keys, wheel, rubber band,
// palette rotation, shows, Copy, a missing palette, the start dialog, late finish reports.
#include "app/frame_globals.h"
#include "app/status_line.h"
#include "mandel/MandelChild.h"
#include "mandel/StartDialog.h"
#include "mandel/start_values.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <unistd.h>

using platform::MessageRecorder;

namespace {

constexpr double kEps = 1e-12;

class MandelWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        frame_ = new QMainWindow;
        hwndFrame = frame_;
        hwndClient = new QMdiArea(frame_);
        frame_->setCentralWidget(hwndClient);
        CreateStatusLine(frame_);
        frame_->resize(1400, 1000);
        frame_->show();
        // No palette in the working directory: the one beside the test program is found.
        dir_ = std::filesystem::temp_directory_path() / ("mandel_ui_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
    }
    static void TearDownTestSuite() {
        delete frame_;
        std::filesystem::current_path("/");
        std::filesystem::remove_all(dir_);
    }
    void SetUp() override {
        SetDefaultSettings(Settings);
        Settings.MndlW = 160, Settings.MndlH = 120, Settings.MndlMaxColors = 256;
        SetStatusTextf(1, "%s", "");
    }
    void TearDown() override {
        CloseAll();
        EXPECT_EQ(FirstFileStruct(), nullptr) << "a closed window left its record";
    }

    static void CloseAll() {
        hwndClient->closeAllSubWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    static bool WaitFor(const std::function<bool()>& done, int ms = 20000) { return QTest::qWaitFor(done, ms); }
    static bool Finished() { return std::strncmp(StatusText(1), "Time:", 5) == 0; }

    // Opens the main view and lets the first run finish.
    MandelChild* OpenFinished(int w, int h) {
        Settings.MndlW = w, Settings.MndlH = h;
        OPENEDFILE* of = OpenMandelWindow(1);
        if (!of) return nullptr;
        EXPECT_TRUE(WaitFor(Finished));
        return static_cast<MandelChild*>(of->hwnd.data());
    }
    static MANDEL_DATA* Data(MandelChild* c) { return c->record()->data<MANDEL_DATA>(); }
    static void SetView(MandelChild* c, MandelView v) { Data(c)->setView(v); }
    static void ExpectView(MandelChild* c, MandelView v, const char* what) {
        EXPECT_NEAR(Data(c)->fltR, v.fltR, kEps) << what;
        EXPECT_NEAR(Data(c)->fltI, v.fltI, kEps) << what;
        EXPECT_NEAR(Data(c)->fltSide, v.fltSide, kEps) << what;
    }

    static inline QMainWindow* frame_ = nullptr;
    static inline std::filesystem::path dir_;
};

TEST_F(MandelWindow, mainMandelbrotComputesTheMainViewAndEndsWithBeepTimeAndArrow) {
    MessageRecorder rec;
    OPENEDFILE* of = OpenMandelWindow(1);
    ASSERT_NE(of, nullptr);
    auto* child = static_cast<MandelChild*>(of->hwnd.data());
    EXPECT_EQ(of->Type, 3);
    EXPECT_EQ(of->Filename, "New Mandelbrot");
    EXPECT_EQ(child->metaObject()->className(), std::string("MandelChild"));
    EXPECT_EQ(child->windowTitle(), "New Mandelbrot");
    ASSERT_TRUE(WaitFor(Finished));
    EXPECT_EQ(child->windowTitle(), "Mandel - 160X120 R:-2.0e+00 I:-1.1e+00 L:2.27e+00");
    EXPECT_EQ(rec.beeps, std::vector<unsigned>{0});
    EXPECT_FALSE(child->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(child->subWindow()->windowTitle(), child->windowTitle());
    const QImage pic = child->currentPicture();
    ASSERT_EQ(pic.size(), QSize(160, 120));
    // The corner escapes at once (colour line 1 of the shipped palette); (-0.3, 0) is inside.
    EXPECT_EQ(pic.pixel(0, 0), qRgb(255, 66, 66));
    const int x = int((-0.3 + 2.0) / 2.27 * 120), y = int((0.0 + 1.1338) / 2.27 * 120);
    EXPECT_EQ(pic.pixel(x, y), qRgb(0, 0, 0));
    EXPECT_TRUE(rec.boxes.empty());
}

TEST_F(MandelWindow, keysZoomAboutTheFixedPointAndHGoesHome) {
    MandelChild* child = OpenFinished(60, 60);
    ASSERT_NE(child, nullptr);
    SetView(child, {-1.5, -1.0, 2.0});
    QTest::keyClicks(child, "+");
    ExpectView(child, {-1.0, -0.5, 1.0}, "+");
    QTest::keyClicks(child, "-");
    ASSERT_TRUE(WaitFor([&] { return child->windowTitle() == "Mandel - 60X60 R:-1.2e+00 I:-7.5e-01 L:1.50e+00"; }));
    for (const char* key : {"H", "h"}) {
        SetView(child, {-1.5, -1.0, 2.0});
        QTest::keyClicks(child, key);
        ASSERT_TRUE(WaitFor([&] { return Data(child)->fltSide == 2.3; })) << key;
        ExpectView(child, kHomeView, key);
        EXPECT_EQ(Settings.MndlSide, 1.5) << "H leaves the settings";
    }
}

TEST_F(MandelWindow, wheelZoomsAboutTheCursorOnlyWithoutKeysHeld) {
    MandelChild* child = OpenFinished(800, 600);
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->record()->Xclient, 800) << "the picture fits without scrolling";
    struct Case {
        const char* name;
        QPoint global;
        Qt::KeyboardModifiers mods;
        int delta;
        MandelView expected;
    } cases[] = {
        {"forward at the centre", {500, 400}, Qt::NoModifier, 120, {-0.8, -0.15, 0.3}},
        {"with Ctrl", {500, 400}, Qt::ControlModifier, 120, {-1.0, -0.3, 0.6}},
        {"half a step", {500, 400}, Qt::NoModifier, 60, {-1.0, -0.3, 0.6}},
        {"cursor at screen (0, 0)", {0, 0}, Qt::NoModifier, 120, {-0.85, -0.15, 0.3}},
    };
    for (const Case& c : cases) {
        SetView(child, {-1.0, -0.3, 0.6});
        QWheelEvent ev(QPointF(400, 300), QPointF(c.global), QPoint(), QPoint(0, c.delta), Qt::NoButton, c.mods,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(child, &ev);
        ExpectView(child, c.expected, c.name);
        if (c.delta == 60) {  // the rest of the step
            QApplication::sendEvent(child, &ev);
            ExpectView(child, {-0.8, -0.15, 0.3}, "a whole step from two halves");
        }
    }
}

TEST_F(MandelWindow, rubberBandSetsTheViewFromTheSelection) {
    MandelChild* child = OpenFinished(800, 600);
    ASSERT_NE(child, nullptr);
    const auto drag = [&](QPoint from, QPoint to, bool rightClick = false) {
        SetView(child, {-2.0, -0.75, 1.5});
        // Sent by hand: QTest takes point (0, 0) for the widget's centre.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), child->mapToGlobal(QPointF(from)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(child, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), child->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(child, &move);
        if (rightClick) QTest::mousePress(child, Qt::RightButton, Qt::NoModifier, to);
        QTest::mouseRelease(child, Qt::LeftButton, Qt::NoModifier, to);
    };
    struct Case { const char* name; QPoint from, to; bool rightClick; MandelView expected; } cases[] = {
        {"down-right", {100, 50}, {300, 350}, false, {-1.75, -0.625, 0.75}},
        {"released where pressed", {100, 50}, {100, 50}, false, {-2.0, -0.75, 1.5}},
        {"right click cancels", {100, 50}, {300, 350}, true, {-2.0, -0.75, 1.5}},
        {"press at (0, 0) selects nothing", {0, 0}, {300, 350}, false, {-2.0, -0.75, 1.5}},
    };
    for (const Case& c : cases) {
        drag(c.from, c.to, c.rightClick);
        ExpectView(child, c.expected, c.name);
    }
}

TEST_F(MandelWindow, paletteRotationMovesEntriesOneToTwoFiftyFiveAndTogglesItsCheck) {
    MandelChild* child = OpenFinished(40, 30);
    ASSERT_NE(child, nullptr);
    MANDEL_DATA* d = Data(child);
    const std::vector<uint32_t> before = d->hPalette;
    ASSERT_EQ(before.size(), 256u);
    child->PaletteRotate();
    EXPECT_EQ(d->hPalette[0], before[0]);
    for (size_t i = 1; i < 255; ++i) ASSERT_EQ(d->hPalette[i], before[i + 1]) << i;
    EXPECT_EQ(d->hPalette[255], before[1]);
    // The picture shows the rotated colours: a pixel of index 1 now has entry 2's colour.
    EXPECT_EQ(child->currentPicture().pixel(0, 0), 0xFF000000u | before[2]);

    EXPECT_EQ(child->menuCheck(138), 0);
    child->command(138);
    EXPECT_EQ(child->menuCheck(138), 1);
    ASSERT_TRUE(WaitFor([&] { return d->hPalette[1] == before[3]; }, 5000)) << "the timer rotates";
    child->command(138);
    EXPECT_EQ(child->menuCheck(138), 0);
    EXPECT_EQ(d->TimerID, 0);
}

TEST_F(MandelWindow, zoomShowsScaleTheSideAfterEachFinishedRun) {
    struct Case { int id; double factor; } cases[] = {{139, 0.8}, {140, 1.2}};
    for (const Case& c : cases) {
        MandelChild* child = OpenFinished(40, 30);
        ASSERT_NE(child, nullptr);
        MessageRecorder rec;
        SetView(child, {-1.0, -1.0, 1.0});
        child->command(c.id);
        EXPECT_EQ(child->menuCheck(c.id), 1);
        EXPECT_EQ(child->menuCheck(c.id == 139 ? 140 : 139), 0);
        SetStatusTextf(1, "%s", "");
        ASSERT_TRUE(WaitFor(Finished)) << c.id;
        child->command(c.id);
        EXPECT_EQ(child->menuCheck(c.id), 0);
        ASSERT_TRUE(WaitFor([&] { return !Data(child)->Thread->running(); }));
        QApplication::processEvents();
        // Small pictures finish fast: several steps may have run. Each finished run of the
        // show beeps and scales once; a run started before the switch-off only beeps.
        const int steps = int(std::lround(std::log(Data(child)->fltSide) / std::log(c.factor)));
        EXPECT_GE(steps, 1) << c.id;
        EXPECT_NEAR(Data(child)->fltSide, std::pow(c.factor, steps), kEps) << c.id;
        EXPECT_TRUE(rec.beeps.size() == size_t(steps) || rec.beeps.size() == size_t(steps) + 1) << c.id;
        CloseAll();
    }
}

TEST_F(MandelWindow, copyPutsThePictureWithItsColoursOnTheClipboard) {
    MandelChild* child = OpenFinished(64, 48);
    ASSERT_NE(child, nullptr);
    child->PaletteRotate();
    const QImage expected = child->currentPicture().convertToFormat(QImage::Format_RGB32);
    MessageRecorder rec;
    child->command(109);
    ASSERT_EQ(rec.texts(), std::vector<std::string>{"Bitmap copied to clipboard."});
    EXPECT_EQ(rec.boxes[0].caption, "Orvalis");
    CloseAll();
    const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(copied, expected) << "the copy outlives the window";
}

TEST_F(MandelWindow, aMissingPaletteGivesTheOpenMessageAndNoWindow) {
    MessageRecorder rec;
    std::strcpy(Settings.Palettefile, "nothere.pal");
    EXPECT_EQ(OpenMandelWindow(1), nullptr);
    ASSERT_EQ(rec.texts(), std::vector<std::string>{"Couldn't open file:nothere.pal"});
    EXPECT_EQ(rec.boxes[0].caption, "LoadFile Error");
    EXPECT_TRUE(hwndClient->subWindowList().isEmpty());
    EXPECT_EQ(FirstFileStruct(), nullptr);
}

TEST_F(MandelWindow, startDialogShowsStoresOnStartOnlyAndOpensTheChosenView) {
    {
        StartDlg dlg(frame_);
        EXPECT_EQ(dlg.windowTitle(), "Mandelbrot start values");
        const StartTexts t = StartDialogTexts(Settings);
        int id = 104;
        for (const std::string& text : {t.Length, t.R, t.I, t.Width, t.Height, t.Iterations, t.Colors, t.Redraw, t.Palette})
            EXPECT_EQ(dlg.edit(id++)->text().toStdString(), text) << id - 1;
        dlg.edit(110)->setText("100");
        dlg.findChild<QPushButton*>("2")->click();
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_EQ(Settings.MndlMaxColors, 256) << "Cancel stores nothing";
    }
    // "Main picture", colours 100, then "Start picture" through the menu command.
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<StartDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->findChild<QPushButton*>("3")->click();
        dlg->edit(110)->setText("100");
        dlg->edit(107)->setText("50");
        dlg->edit(108)->setText("40");
        dlg->findChild<QPushButton*>("1")->click();
    });
    OPENEDFILE* of = OpenMandelWindow(0);
    ASSERT_NE(of, nullptr);
    EXPECT_EQ(std::make_tuple(Settings.MndlSide, Settings.MndlR, Settings.MndlI, Settings.MndlMaxColors),
              std::make_tuple(2.27, -2.0, -1.1338, 64));
    auto* child = static_cast<MandelChild*>(of->hwnd.data());
    ExpectView(child, kMainView, "dialog");
    EXPECT_EQ(std::make_pair(of->Xsize, of->Ysize), std::make_pair(50, 40));
    ASSERT_TRUE(WaitFor(Finished));

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->findChild<QPushButton*>("2")->click(); });
    EXPECT_EQ(OpenMandelWindow(0), nullptr);
    EXPECT_EQ(hwndClient->subWindowList().size(), 1);
}

TEST_F(MandelWindow, aLateFinishOfAReplacedRunIsIgnored) {
    MandelChild* child = OpenFinished(40, 30);
    ASSERT_NE(child, nullptr);
    MANDEL_DATA* d = Data(child);
    MessageRecorder rec;
    SetStatusTextf(1, "%s", "");
    child->command(119);  // a quick run; its report waits in the queue
    while (d->Thread->running()) QTest::qSleep(1);  // without handling its report
    Settings.MndlIteration = 200000;  // the next run takes long
    SetView(child, {-0.1, -0.1, 0.2});
    child->command(119);
    QApplication::processEvents();
    EXPECT_TRUE(rec.beeps.empty());
    EXPECT_STREQ(StatusText(1), "");
    EXPECT_TRUE(d->Thread->running()) << "the new run goes on";
    EXPECT_TRUE(child->testAttribute(Qt::WA_SetCursor)) << "still busy";
}

TEST_F(MandelWindow, closingDuringARunStopsTheWorkerFirst) {
    Settings.MndlIteration = 200000;
    for (int k = 0; k < 3; ++k) {
        OPENEDFILE* of = OpenMandelWindow(1);
        ASSERT_NE(of, nullptr);
        auto* child = static_cast<MandelChild*>(of->hwnd.data());
        ASSERT_TRUE(WaitFor([&] { return Data(child)->Thread->running(); }));
        EXPECT_TRUE(child->testAttribute(Qt::WA_SetCursor)) << "busy cursor during the run";
        EXPECT_EQ(child->cursor().shape(), Qt::BitmapCursor);
        child->subWindow()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(FirstFileStruct(), nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
