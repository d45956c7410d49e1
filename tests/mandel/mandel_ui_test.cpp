// The Mandelbrot window offscreen: opening, runs to the end, keys, wheel, rubber band,
// palette rotation, shows, Copy, the start dialog, late finish reports. The zoom arithmetic
// is checked without a window, a missing palette's boxes on the frame; here each input reaches it.
#include "mandel/MandelChild.h"
#include "mandel/StartDialog.h"
#include "mandel/start_values.h"
#include "platform/message_box.h"
#include "tests/common/test_files.h"
#include "app/MainFrame.h"
#include "workspace/frame_interface.h"
#include "workspace/status_line.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <cstring>
#include <filesystem>

using platform::MessageRecorder;

namespace {

struct MandelWindow : ::testing::Test {
    static void SetUpTestSuite() {
        frame_ = new MainFrame, frame_->resize(1400, 1000), frame_->show();
        std::filesystem::current_path(dir_.path);  // no palette here: the one beside the test program is found
    }
    static void TearDownTestSuite() { delete frame_, std::filesystem::current_path("/"); }
    void SetUp() override {
        SetDefaultSettings(Settings), SetStatusTextf(1, "%s", "");
        Settings.MndlW = 160, Settings.MndlH = 120, Settings.MndlMaxColors = 256;
    }
    void TearDown() override {
        CloseAll();
        EXPECT_EQ(FirstFileStruct(), nullptr) << "a closed window left its record";
    }

    static void CloseAll() {
        MessageRecorder discard;  // views never saved ask first
        FrameMdiArea()->closeAllSubWindows(), QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete), QApplication::processEvents();
    }
    static bool WaitFor(const std::function<bool()>& done, int ms = 20000) { return QTest::qWaitFor(done, ms); }
    static bool Finished() { return std::strncmp(StatusText(1), "Time:", 5) == 0; }
    static MandelChild* Child(OPENEDFILE* of) { return of ? static_cast<MandelChild*>(of->hwnd.data()) : nullptr; }
    // Opens the main view and lets the first run finish.
    MandelChild* OpenFinished(int w, int h) {
        Settings.MndlW = w, Settings.MndlH = h;
        MandelChild* child = Child(Mandel_New(1));
        EXPECT_TRUE(child && WaitFor(Finished));
        return child;
    }
    static MANDEL_DATA* Data(MandelChild* c) { return c->record()->data<MANDEL_DATA>(); }
    static void ExpectView(MandelChild* c, MandelView v, const char* what) {
        const MANDEL_DATA* d = Data(c);
        EXPECT_LT(std::abs(d->fltR - v.fltR) + std::abs(d->fltI - v.fltI) + std::abs(d->fltSide - v.fltSide), 1e-12)
            << what << ": " << d->fltR << ", " << d->fltI << ", " << d->fltSide;
    }

    static inline MainFrame* frame_ = nullptr;
    static inline const TempDir dir_{"mandel_ui"};
};

// It ends with a beep, the time in the status line and the arrow cursor back.
TEST_F(MandelWindow, MainMandelbrotComputesTheMainView) {
    MessageRecorder rec;
    OPENEDFILE* of = Mandel_New(1);
    MandelChild* child = Child(of);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(std::make_pair(int(of->Type), of->Filename), std::make_pair(3, std::string("New Mandelbrot")));
    EXPECT_EQ(child->metaObject()->className() + (" " + child->windowTitle().toStdString()), "MandelChild New Mandelbrot");
    ASSERT_TRUE(WaitFor(Finished));
    EXPECT_EQ(child->windowTitle(), "Mandel - 160X120 R:-2.0e+00 I:-1.1e+00 L:2.27e+00");
    EXPECT_TRUE(rec.beeps == std::vector<unsigned>{0} && rec.boxes.empty() && !child->testAttribute(Qt::WA_SetCursor));
    // The corner escapes at once (colour line 1 of the shipped palette of 256); (-0.3, 0) is inside.
    const QImage pic = child->currentPicture();
    ASSERT_EQ(std::make_pair(pic.size(), Data(child)->hPalette.size()), std::make_pair(QSize(160, 120), size_t(256)));
    EXPECT_EQ(std::make_pair(pic.pixel(0, 0), pic.pixel(int(1.7 / 2.27 * 120), int(1.1338 / 2.27 * 120))),
              std::make_pair(qRgb(255, 66, 66), qRgb(0, 0, 0)));
    // A view never saved asks before it goes; Cancel keeps it.
    rec.answers = {platform::IDCANCEL}, child->subWindow()->close(), QApplication::processEvents();
    ASSERT_EQ(std::make_pair(rec.boxes.size(), FirstFileStruct()), std::make_pair(size_t(1), of));
    EXPECT_EQ(rec.boxes[0].flags, unsigned(platform::MB_SAVEDISCARDCANCEL | platform::MB_ICONQUESTION)) << rec.boxes[0].text;
}

TEST_F(MandelWindow, ScrolledWindowShowsThePictureFromTheScrollPosition) {
    MandelChild* child = OpenFinished(160, 120);
    ASSERT_NE(child, nullptr);
    OPENEDFILE* of = child->record();
    const QImage pic = child->currentPicture();
    child->resize(100, 80), QApplication::processEvents();
    child->horizontalBar()->setValue(child->horizontalBar()->maximum()), child->verticalBar()->setValue(7);
    const QImage shot = child->grab().toImage();
    ASSERT_GT(of->Xscroll, 40);
    for (int x = 0; x < of->Xclient; ++x) ASSERT_EQ(shot.pixel(x, 30), pic.pixel(of->Xscroll + x, 37)) << x;
}

TEST_F(MandelWindow, AKeyFloodNeverCarriesTheZoomPastAReset) {
    MandelChild* child = OpenFinished(160, 120);
    ASSERT_NE(child, nullptr);
    // 300 keys sent with no event handling between them, as xdotool types them. From side 2.3
    // the 47th halving gives "DOUBLE ERROR" (the corner's I reaches 0); typed slowly, each "h"
    // resets after 30, so the flood must not carry the zoom past a reset.
    std::string keys;
    for (int k = 0; k < 9; ++k) keys += std::string(30, '+') + "h";
    keys += std::string(21, '+');
    MessageRecorder rec;
    Data(child)->setView(kHomeView);
    for (char key : keys) QTest::keyClick(child, key);
    QApplication::processEvents();
    EXPECT_TRUE(rec.boxes.empty()) << rec.texts().at(0);
    const double side = 2.3 / (1 << 21);  // about the fixed point: the corner moves by half the change
    ExpectView(child, {-2.0 + (2.3 - side) / 2, -1.15 + (2.3 - side) / 2, side}, "after the flood");
}

TEST_F(MandelWindow, KeysWheelAndRubberBandReachTheZoom) {
    MandelChild* child = OpenFinished(800, 600);
    ASSERT_NE(child, nullptr);
    Data(child)->setView({-1.5, -1.0, 2.0}), QTest::keyClicks(child, "+-");  // halved, then 1.5 times, about the middle
    ASSERT_TRUE(WaitFor([&] { return child->windowTitle() == "Mandel - 800X600 R:-1.2e+00 I:-7.5e-01 L:1.50e+00"; }));
    for (const char* key : {"H", "h"}) {
        Data(child)->setView({-1.5, -1.0, 2.0}), QTest::keyClicks(child, key);
        ASSERT_TRUE(WaitFor([&] { return Data(child)->fltSide == 2.3; })) << key;
        ExpectView(child, kHomeView, key);
    }
    EXPECT_EQ(Settings.MndlSide, 1.5) << "H leaves the settings";
    struct Wheel { const char* name; QPoint global; Qt::KeyboardModifiers mods; int delta, events; MandelView expected; };
    const Wheel wheels[] = {
        {"forward at the centre", {500, 400}, Qt::NoModifier, 120, 1, {-0.8, -0.15, 0.3}},
        {"with Ctrl", {500, 400}, Qt::ControlModifier, 120, 1, {-1.0, -0.3, 0.6}},
        {"half a step", {500, 400}, Qt::NoModifier, 60, 1, {-1.0, -0.3, 0.6}},
        {"two halves", {500, 400}, Qt::NoModifier, 60, 2, {-0.8, -0.15, 0.3}},
        {"cursor at screen (0, 0)", {0, 0}, Qt::NoModifier, 120, 1, {-0.85, -0.15, 0.3}}};
    for (const Wheel& c : wheels) {
        QWheelEvent ev(QPointF(400, 300), QPointF(c.global), QPoint(), QPoint(0, c.delta), Qt::NoButton, c.mods, Qt::NoScrollPhase,
                       false);
        Data(child)->setView({-1.0, -0.3, 0.6});
        for (int k = 0; k < c.events; ++k) QApplication::sendEvent(child, &ev);
        ExpectView(child, c.expected, c.name);
    }
    struct Drag { const char* name; QPoint from, to; bool rightClick; MandelView expected; } drags[] = {
        {"down-right", {100, 50}, {300, 350}, false, {-1.75, -0.625, 0.75}},
        {"released where pressed", {100, 50}, {100, 50}, false, {-2.0, -0.75, 1.5}},
        {"right click cancels", {100, 50}, {300, 350}, true, {-2.0, -0.75, 1.5}},
        {"press at (0, 0) selects nothing", {0, 0}, {300, 350}, false, {-2.0, -0.75, 1.5}}};
    for (const Drag& c : drags) {
        Data(child)->setView({-2.0, -0.75, 1.5});
        // Sent by hand: QTest takes point (0, 0) for the widget's centre.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(c.from), child->mapToGlobal(QPointF(c.from)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, QPointF(c.to), child->mapToGlobal(QPointF(c.to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(child, &press), QApplication::sendEvent(child, &move);
        if (c.rightClick) QTest::mousePress(child, Qt::RightButton, Qt::NoModifier, c.to);
        QTest::mouseRelease(child, Qt::LeftButton, Qt::NoModifier, c.to);
        ExpectView(child, c.expected, c.name);
    }
}

TEST_F(MandelWindow, CopyTakesThePictureWithItsRotatedColours) {
    MandelChild* child = OpenFinished(64, 48);
    ASSERT_NE(child, nullptr);
    MANDEL_DATA* d = Data(child);
    const std::vector<uint32_t> before = d->hPalette;  // 256 entries
    child->rotatePalette();  // entries 1 .. 255 move down one, entry 0 stays
    EXPECT_EQ((std::vector{d->hPalette[0], d->hPalette[1], d->hPalette[255]}), (std::vector{before[0], before[2], before[1]}));
    // A pixel of index 1 now has entry 2's colour, in the window and on the clipboard.
    EXPECT_EQ(child->currentPicture().pixel(0, 0), 0xFF000000u | before[2]);
    const QImage expected = child->currentPicture().convertToFormat(QImage::Format_RGB32);
    MessageRecorder rec;  // its box is checked on the frame
    child->command(Command::Copy);  // Copy
    CloseAll();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), expected) << "the copy outlives the window";
}

TEST_F(MandelWindow, PaletteShowTogglesATimerThatRotatesThePalette) {
    MandelChild* child = OpenFinished(64, 48);
    ASSERT_NE(child, nullptr);
    MANDEL_DATA* d = Data(child);
    const uint32_t second = d->hPalette[2];
    EXPECT_EQ(child->menuCheck(Command::PaletteShow), 0);
    child->command(Command::PaletteShow);  // Paletteshow
    ASSERT_TRUE(child->menuCheck(Command::PaletteShow) == 1 && WaitFor([&] { return d->hPalette[1] == second; }, 5000)) << "the timer rotates";
    child->command(Command::PaletteShow);
    EXPECT_EQ(std::make_pair(child->menuCheck(Command::PaletteShow), d->TimerID), std::make_pair(0, 0));
}

TEST_F(MandelWindow, ZoomShowsScaleTheSideOnceAfterEachRun) {
    for (auto [id, factor] : {std::pair{Command::ZoomInShow, 0.8}, {Command::ZoomOutShow, 1.2}}) {
        MandelChild* child = OpenFinished(40, 30);
        ASSERT_NE(child, nullptr);
        Data(child)->setView({-1.0, -1.0, 1.0}), child->command(id), SetStatusTextf(1, "%s", "");
        EXPECT_EQ(std::make_pair(child->menuCheck(id), child->menuCheck(id == Command::ZoomInShow ? Command::ZoomOutShow : Command::ZoomInShow)), std::make_pair(1, 0));
        ASSERT_TRUE(WaitFor(Finished)) << int(id);
        child->command(id);  // off; small pictures finish fast, so several runs may have scaled the side once each
        ASSERT_TRUE(child->menuCheck(id) == 0 && WaitFor([&] { return !Data(child)->Thread->running(); }));
        const double steps = std::log(Data(child)->fltSide) / std::log(factor);
        EXPECT_TRUE(steps > 0.5 && std::abs(steps - std::round(steps)) < 1e-9) << int(id) << ": " << Data(child)->fltSide;
        CloseAll();
    }
}

TEST_F(MandelWindow, ALateFinishOfAReplacedRunIsIgnored) {
    // Closing during the long run also stops the worker
    // before any memory goes.
    MandelChild* child = OpenFinished(40, 30);
    ASSERT_NE(child, nullptr);
    MANDEL_DATA* d = Data(child);
    MessageRecorder rec;
    SetStatusTextf(1, "%s", ""), child->command(Command::MandelNew);  // a quick run; its report waits in the queue
    while (d->Thread->running()) QTest::qSleep(1);  // without handling its report
    Settings.MndlIteration = 200000, d->setView({-0.1, -0.1, 0.2}), child->command(Command::MandelNew);  // a long run
    QApplication::processEvents();
    EXPECT_TRUE(rec.beeps.empty() && *StatusText(1) == 0 && d->Thread->running()) << "the new run goes on";
    EXPECT_TRUE(child->testAttribute(Qt::WA_SetCursor) && child->cursor().shape() == Qt::BitmapCursor) << "busy cursor 205";
    child->subWindow()->close(), QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FirstFileStruct(), nullptr);
}

TEST_F(MandelWindow, StartDialogActsOnlyOnStart) {
    // The fields by id; "Main picture", colours 100, size 50 x 40, then "Start picture".
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<StartDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Mandelbrot start values");
        const StartTexts t = StartDialogTexts(Settings);
        int id = 104;
        for (const std::string& text : {t.Length, t.R, t.I, t.Width, t.Height, t.Iterations, t.Colors, t.Redraw, t.Palette})
            EXPECT_EQ(dlg->edit(id++)->text().toStdString(), text) << id - 1;
        dlg->findChild<QPushButton*>("3")->click();
        dlg->edit(110)->setText("100"), dlg->edit(107)->setText("50"), dlg->edit(108)->setText("40");
        dlg->findChild<QPushButton*>("1")->click();
    });
    OPENEDFILE* of = Mandel_New(0);
    ASSERT_NE(of, nullptr);
    ExpectView(Child(of), kMainView, "dialog");
    EXPECT_EQ(std::make_tuple(of->Xsize, of->Ysize, Settings.MndlMaxColors), std::make_tuple(50, 40, 64));
    ASSERT_TRUE(WaitFor(Finished));
    // Cancel stores nothing and opens no window.
    QTimer::singleShot(0, [] { static_cast<StartDlg*>(QApplication::activeModalWidget())->edit(110)->setText("4"); });
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->findChild<QPushButton*>("2")->click(); });
    EXPECT_EQ(Mandel_New(0), nullptr);
    EXPECT_EQ(std::make_pair(FrameMdiArea()->subWindowList().size(), Settings.MndlMaxColors), std::make_pair(qsizetype(1), 64));
}

}  // namespace
