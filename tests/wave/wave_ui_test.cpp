// The wave window offscreen: loading through the dispatch, keys, views, outline clicks,
// playback titles under SDL's dummy driver, and the close question.
#include "app/MainFrame.h"
#include "app/file_open.h"
#include "platform/message_box.h"
#include "wav_builder.h"
#include "wave/WavChild.h"
#include "wave/wave_data.h"
#include "wave/wave_document.h"
#include "wave/wave_paint.h"
#include "workspace/frame_interface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTest>
#include <cmath>

using namespace wavtest;
using platform::MessageRecorder;
using Strings = std::vector<std::string>;

namespace {

const QRgb kGreen = qRgb(0, 255, 0), kRed = qRgb(255, 0, 0), kWhite = qRgb(255, 255, 255);

// Opaque colours; true when a pixel within one of (x, y) has the colour.
bool NearColour(const QImage& img, int x, int y, QRgb colour) {
    for (int dy = -1; dy <= 1; ++dy) for (int dx = -1; dx <= 1; ++dx)
        if (img.rect().contains(x + dx, y + dy) && img.pixel(x + dx, y + dy) == colour) return true;
    return false;
}

struct WaveWindow : ::testing::Test {
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        frame_ = StartFrame(""), frame_->resize(900, 700);
    }
    static void TearDownTestSuite() { delete frame_; }
    void TearDown() override {
        MessageRecorder answerOk;
        FrameMdiArea()->closeAllSubWindows(), QApplication::processEvents();
        EXPECT_EQ(FirstFileStruct(), nullptr) << "a closed window left its record";
    }

    static std::string Path(const std::string& name) { return dir_ / name; }
    // A 16-bit stereo file at 8000 Hz of the given frames.
    static std::string WriteWav(const std::string& name, const Pairs& frames) {
        return WriteFileBytes(Path(name), Riff({Fmt(2, 8000, 16), {"data", Frames16(frames)}}));
    }
    // Opens through the frame's dispatch and sizes the client area to 300 x 200.
    static WavChild* Open(const std::string& path) {
        FileOpenMsg(path);
        auto* child = qobject_cast<WavChild*>(GetLastFileStruct()->hwnd.data());
        return Resize(child, 300, 200), child;
    }
    static void Resize(WavChild* w, int W, int H) {
        w->subWindow()->resize(w->subWindow()->size() - w->size() + QSize(W, H));
        QApplication::processEvents();
    }
    static WAVE_DATA* Data(WavChild* w) { return w->record()->data<WAVE_DATA>(); }
    static WavChild* OpenFourFrames() { return Open(WriteWav("keys.wav", {{1, 2}, {3, 4}, {5, 6}, {7, 8}})); }
    static void Type(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &e);
        }
    }
    static void Click(QWidget* w, int x, int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    }
    static void Outline(WavChild* w, std::initializer_list<QPoint> clicks, const char* keys = "") {
        Type(w, "3");
        for (QPoint p : clicks) Click(w, p.x(), p.y());
        Type(w, keys);
    }

    static inline QMainWindow* frame_ = nullptr;
    static inline const TempDir dir_{"wave_ui"};
};

TEST_F(WaveWindow, AWindowBeingLoadedIsTitledLoadingWithItsPath) {
    const std::string path = WriteWav("title.wav", {{1, 2}, {3, 4}});
    OPENEDFILE* of = CreateWavChild(path);
    ASSERT_TRUE(of);
    ASSERT_EQ(std::make_pair(int(of->Type), LoadWavFile(of, path)), std::make_pair(2, 1));
    EXPECT_EQ(of->hwnd->objectName() + " " + of->hwnd->windowTitle(), "WavChild Loading file:" + QString::fromStdString(path));
}

TEST_F(WaveWindow, KeysSwitchViewsCaseSensitively) {
    WavChild* w = OpenFourFrames();
    for (auto [keys, display] : {std::pair{"2", 1}, {"4", 3}, {"3", 2}, {"1", 0}, {"M", 0}, {"x", 0}, {"3", 2}}) {
        Type(w, keys);
        EXPECT_EQ(Data(w)->Display, display) << keys;
    }
}

TEST_F(WaveWindow, OnlyLowerCaseCClearsTheOutline) {
    WavChild* w = OpenFourFrames();
    WAVE_DATA* wd = Data(w);
    Outline(w, {{10, 10}, {20, 20}}), QTest::mouseMove(w, QPoint(30, 40));
    Type(w, "C");  // only lower case clears
    EXPECT_EQ(std::make_pair(wd->ListLen, wd->Drag), std::make_pair(4, 1));
    Type(w, "c");
    EXPECT_EQ(std::make_tuple(wd->ListLen, wd->ListSize, wd->Drag), std::make_tuple(0, 128, 0));  // the array stays
}

TEST_F(WaveWindow, IShowsTheFormatInEitherCase) {
    MessageRecorder rec;
    Type(OpenFourFrames(), "Ii");
    EXPECT_EQ(rec.texts(), (Strings(2, "8000/16 bits/ 2 Channels  4 samples")));
}

TEST_F(WaveWindow, MTracesTheOutlineIntoTheSound) {
    WavChild* w = OpenFourFrames();
    WAVE_DATA* wd = Data(w);
    MessageRecorder rec;
    Outline(w, {{10, 10}}, "m");  // fewer than two points: only the switch to the X/Y view
    EXPECT_EQ(std::make_tuple(wd->Display, int(w->record()->Changed), Frames(*wd)[0]), std::make_tuple(1, 0, std::pair{1, 2}));
    // Growth and the traced values are checked without a window; here "m" reaches MakeForm.
    Type(w, "c");
    Outline(w, {{50, 50}, {250, 150}}, "m");  // (21800, 16350) and (-21800, -16350)
    EXPECT_EQ(Frames(*wd), (Pairs{{21800, 16350}, {10900, 8175}, {0, 0}, {-10900, -8175}}));
    EXPECT_EQ(std::make_pair(wd->Display, int(w->record()->Changed)), std::make_pair(1, 1));
    rec.answers = {platform::IDCANCEL};  // Cancel keeps the changed sound (the question: the frame's test)
    EXPECT_FALSE(w->subWindow()->close());
    EXPECT_TRUE(rec.boxes.size() == 1 && w->record() && Data(w)->lpData && !w->grab().isNull());  // TearDown answers OK
}

TEST_F(WaveWindow, MouseActsOnlyInTheOutlineViewWithWindowIndependentPoints) {
    WavChild* w = Open(WriteWav("mouse.wav", {{0, 0}, {0, 0}}));
    ASSERT_EQ(w->size(), QSize(300, 200));
    WAVE_DATA* wd = Data(w);
    for (const char* view : {"1", "2", "4"}) {
        Type(w, view), Click(w, 50, 50);
        EXPECT_EQ(wd->ListLen + wd->Drag, 0) << view;
    }
    Outline(w, {{50, 50}, {0, 199}});  // 65535 / 300 = 218, 65535 / 200 = 327
    EXPECT_EQ(std::vector(wd->List.get(), wd->List.get() + wd->ListLen), (std::vector{218 * 100, 327 * 50, 218 * 150, 327 * -99}));
    QTest::mouseMove(w, QPoint(123, 77));
    EXPECT_EQ(std::make_pair(wd->Drag, wd->DragPos), std::make_pair(1, (77L << 16) | 123));
    // A resize keeps the stored points; new ones use the new size: 65535 / 400 = 163, 65535 / 100 = 655.
    Resize(w, 400, 100), Click(w, 100, 25);
    EXPECT_EQ(std::make_tuple(wd->List[0], wd->List[4], wd->List[5]), std::make_tuple(218 * 100, 163 * 100, 655 * 25));
}

// A mono 8-bit file of constant 192 reads as 16384 in both channels: the channel view draws it in
// both halves, the X/Y view on the diagonal, (150 + 75, 100 - 50) in 300 x 200. The channel and
// X/Y views of a stereo file are compared with a reference drawing below.
TEST_F(WaveWindow, ViewsDrawTheirAxesTracesAndOutline) {
    WavChild* mono = Open(WriteFileBytes(Path("mono8.wav"), Riff({Fmt(1, 8000, 8), {"data", Bytes(64, 192)}})));
    const QImage channels = mono->grab().toImage();
    EXPECT_TRUE(NearColour(channels, 150, 25, kGreen) && NearColour(channels, 150, 125, kRed));
    Type(mono, "2");
    const QImage xy = mono->grab().toImage();
    EXPECT_TRUE(NearColour(xy, 225, 50, kGreen) && !NearColour(xy, 225, 150, kGreen));
    // Every frame at left 16384, right -16384: the X/Y trace at (150 + 16384 * 300 / 65535, 100 + 16384 * 200 / 65535).
    WavChild* w = Open(WriteWav("views.wav", Pairs(64, {16384, -16384})));
    Outline(w, {{50, 50}, {250, 50}}), QTest::mouseMove(w, QPoint(100, 150));
    const QImage v2 = w->grab().toImage();
    EXPECT_TRUE(NearColour(v2, 100, 50, kRed));     // outline, drawn where clicked
    EXPECT_TRUE(NearColour(v2, 220, 70, kRed));     // rubber band from (250, 50) toward (100, 150)
    EXPECT_TRUE(NearColour(v2, 225, 150, kGreen));  // the trace over it
    Type(w, "3");                                   // a key ends the rubber band
    EXPECT_FALSE(NearColour(w->grab().toImage(), 220, 70, kRed));
    Type(w, "4");
    const QImage v3 = w->grab().toImage();
    int dark = 0;  // the text in its opaque box at (1, 14)
    for (int x = 1; x < 150; ++x) for (int y = 14; y < 30; ++y) dark += qGray(v3.pixel(x, y)) < 100;
    EXPECT_TRUE(v3.pixel(2, 15) == kWhite && dark > 20) << dark;
}

// With no sound device at all the sound still opens and draws; playback keys say so and
// change nothing.
TEST_F(WaveWindow, PlaybackKeysSayThereIsNoSoundDevice) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    MessageRecorder rec;
    const std::string nodev = WriteFileBytes(Path("nodev.wav"), Riff({Fmt(1, 8000, 24), {"data", Ramp(30)}}));
    WavChild* silent = Open(nodev);
    Type(silent, "\r pR");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(rec.texts(), Strings(4, "No sound device"));
    EXPECT_TRUE(rec.boxes.back().caption.empty() && rec.boxes.back().flags == (platform::MB_OK | platform::MB_ICONEXCLAMATION));
    EXPECT_EQ(silent->windowTitle().toStdString() + std::to_string(Data(silent)->Playing), nodev + "0");
}

TEST_F(WaveWindow, TheTitleFollowsThePlayback) {
    const std::string path = WriteWav("play.wav", Pairs(400, {100, -100}));  // 50 ms
    WavChild* w = Open(path);
    WAVE_DATA* wd = Data(w);
    Type(w, "\r");
    EXPECT_EQ(std::make_pair(w->windowTitle(), wd->Playing), std::make_pair(QString("Playing"), 1));
    QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle().toStdString(), path, 5000);
    EXPECT_TRUE(wd->Playing == 0 && !wd->hWaveOut);
    Type(w, " ");  // loop 1000
    ASSERT_EQ(w->windowTitle(), "Playing");
    const uint64_t first = wd->hWaveOut->serial();
    Type(w, "p");  // a start while playing replaces the running one
    ASSERT_TRUE(wd->hWaveOut && wd->hWaveOut->serial() != first);
    QTest::qWait(100);
    EXPECT_EQ(w->windowTitle(), "Playing") << "the old device's notice must not end the new playback";
    Type(w, " ");  // stop
    QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle().toStdString(), path, 2000);
    EXPECT_EQ(wd->Playing, 0);
    Type(w, "\n");
    EXPECT_EQ(w->windowTitle(), "Playing");
    Type(w, "R");  // TearDown closes it while it plays: the device stops before the document goes
}

// The quick drawing (columns merged, the X/Y trace rasterised once) against every frame drawn
// as a painter's line over the axes: each coloured pixel of one picture has the same colour
// within one pixel in the other, almost everywhere.
TEST(WavePaint, QuickViewsLookLikeTheFrameByFrameTrace) {
    const int W = 320, H = 240;
    const QRgb bg = qRgb(160, 160, 160);
    // Channels at 50 frames per column and at fewer frames than columns; the X/Y view.
    for (auto [display, frames] : {std::pair{0, 16000u}, {0, 100u}, {1, 3000u}}) {
        Pairs f;
        for (uint32_t i = 0; i < frames; ++i)  // with a rough edge that changes within a column
            f.emplace_back(int(20000 * std::sin(i * 0.013) + 500 * std::sin(i * 2.1)),
                           int(15000 * std::cos(i * 0.021) + 500 * std::cos(i * 1.3)));
        const Bytes data = Frames16(f);
        WAVE_DATA wd;
        wd.pFormat.reset(new WAVEFORMATEX{1, 2, 8000, 32000, 4, 16, 0});
        wd.dwDataSize = frames * 4, wd.Display = display;
        wd.lpData.reset(new uint8_t[wd.dwDataSize]);
        std::copy(data.begin(), data.end(), wd.lpData.get());
        QImage quick(W, H, QImage::Format_RGB32), slow(W, H, QImage::Format_RGB32);
        QPainter q(&quick), p(&slow);
        PaintWav(q, W, H, wd, QColor(bg));
        p.fillRect(0, 0, W, H, QColor(bg));
        p.setPen(QPen(Qt::white, 1));
        for (int y : display ? std::vector{H / 2} : std::vector{H / 2, H / 2 + 1, H / 2 - 1, H / 4, H - H / 4}) p.drawLine(0, y, W, y);
        if (display) p.drawLine(W / 2, 0, W / 2, H);
        std::vector<QPoint> a, b;
        for (uint32_t i = 0; i < frames; ++i) {
            const int x = int(i * double(W) / frames), l = f[i].first, r = f[i].second;
            if (display) a.emplace_back(int(W / 2 + l * (W / 65535.0)), int(H / 2 - r * (H / 65535.0)));
            else a.emplace_back(x, int(H / 4 - l * (H / 2 / 65535.0))), b.emplace_back(x, int(H - H / 4 - r * (H / 2 / 65535.0)));
        }
        p.setPen(QPen(QColor(kGreen), 1)), p.drawPolyline(a.data(), int(a.size()));
        p.setPen(QPen(QColor(kRed), 2)), p.drawPolyline(b.data(), int(b.size()));
        q.end(), p.end();
        int drawn = 0, unmatched[2] = {0, 0};
        for (int y = 0; y < H; ++y) for (int x = 0; x < W; ++x) {
            drawn += slow.pixel(x, y) != bg;
            unmatched[0] += quick.pixel(x, y) != bg && !NearColour(slow, x, y, quick.pixel(x, y));
            unmatched[1] += slow.pixel(x, y) != bg && !NearColour(quick, x, y, slow.pixel(x, y));
        }
        EXPECT_TRUE(drawn > 1000 && std::max(unmatched[0], unmatched[1]) <= drawn / 200)
            << display << " " << frames << ": " << unmatched[0] << " and " << unmatched[1] << " of " << drawn;
    }
}

}  // namespace
