// The wave window offscreen: loading through the dispatch, keys, views, outline clicks,
// playback titles under SDL's dummy driver, and the close question.
#include "app/MainFrame.h"
#include "app/frame_globals.h"
#include "app/subsystems.h"
#include "platform/message_box.h"
#include "wav_builder.h"
#include "wave/WavChild.h"
#include "wave/wave_data.h"
#include "wave/wave_document.h"
#include "wave/wave_paint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <unistd.h>

using namespace wavtest;
using platform::MessageRecorder;
using Strings = std::vector<std::string>;

namespace {

constexpr unsigned kExclaim = platform::MB_OK | platform::MB_ICONEXCLAMATION;
const QRgb kGreen = qRgb(0, 255, 0), kRed = qRgb(255, 0, 0), kWhite = qRgb(255, 255, 255);

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
bool NearColour(const QImage& img, int x, int y, QRgb colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (img.rect().contains(x + dx, y + dy) && At(img, x + dx, y + dy) == (colour & 0xFFFFFF)) return true;
    return false;
}

class WaveWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        frame_ = new QMainWindow;
        hwndFrame = frame_;
        hwndClient = new QMdiArea(frame_);
        frame_->setCentralWidget(hwndClient);
        frame_->resize(900, 700);
        frame_->show();
        dir_ = std::filesystem::temp_directory_path() / ("wave_ui_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    static void TearDownTestSuite() {
        delete frame_;
        std::filesystem::remove_all(dir_);
    }
    void TearDown() override {
        MessageRecorder answerOk;
        hwndClient->closeAllSubWindows();
        QApplication::processEvents();
        EXPECT_EQ(FirstFileStruct(), nullptr) << "a closed window left its record";
    }

    static std::string Path(const std::string& name) { return (dir_ / name).string(); }
    // A 16-bit stereo file at 8000 Hz of the given frames.
    static std::string WriteWav(const std::string& name, const Pairs& frames) {
        return WriteBytes(Path(name), Riff({Fmt(2, 8000, 16), {"data", Frames16(frames)}}));
    }
    // Opens through the frame's dispatch and sizes the client area to W x H.
    static WavChild* Open(const std::string& path, int W = 300, int H = 200) {
        FileOpenMsg(path);
        OPENEDFILE* of = GetLastFileStruct();
        if (!of) return nullptr;
        auto* child = qobject_cast<WavChild*>(of->hwnd.data());
        Resize(child, W, H);
        return child;
    }
    static void Resize(WavChild* w, int W, int H) {
        w->subWindow()->resize(w->subWindow()->size() - w->size() + QSize(W, H));
        QApplication::processEvents();
    }
    static WAVE_DATA* Data(WavChild* w) { return w->record()->data<WAVE_DATA>(); }
    static void Type(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &e);
        }
    }
    static void Click(QWidget* w, int x, int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    }

    static inline QMainWindow* frame_ = nullptr;
    static inline std::filesystem::path dir_;
};

TEST_F(WaveWindow, failedLoadsShowTheLoaderMessageThenTheDispatchsAndCloseTheWindow) {
    struct Case {
        const char* name;
        Bytes file;  // empty: not written
        const char* message;
    } cases[] = {
        {"nonpcm.wav", Riff({Fmt(1, 8000, 8, 7), {"data", Ramp(8)}}), "no PCM file"},
        {"short.wav", Riff({{"fmt ", Bytes(12, 1)}, {"data", Ramp(8)}}), "wave file corrupt"},
        {"missing.wav", {}, "couldn't load"},
    };
    for (const Case& c : cases) {
        MessageRecorder rec;
        FileOpenMsg(c.file.empty() ? Path(c.name) : WriteBytes(Path(c.name), c.file));
        QApplication::processEvents();
        EXPECT_EQ(rec.texts(), (Strings{c.message, "Error from LoadWave()!"})) << c.name;
        ASSERT_FALSE(rec.boxes.empty());
        EXPECT_EQ(rec.boxes[0].caption, "") << c.name;
        EXPECT_EQ(rec.boxes[0].flags, kExclaim) << c.name;
        EXPECT_EQ(hwndClient->subWindowList().size(), 0) << c.name;
        EXPECT_EQ(FirstFileStruct(), nullptr) << c.name;
    }
}

TEST_F(WaveWindow, loadingShowsItsTitleThenTheDispatchNamesTheWindow) {
    EXPECT_TRUE(kWaveReady);
    std::string path = WriteWav("title.wav", {{1, 2}, {3, 4}});
    OPENEDFILE* of = CreateWavChild(hwndClient, path, 1);
    ASSERT_TRUE(of);
    EXPECT_EQ(of->Type, 2);
    ASSERT_EQ(LoadWavFile(of, path), 1);
    EXPECT_EQ(of->hwnd->windowTitle().toStdString(), "Loading file:" + path);
    EXPECT_EQ(of->hwnd->objectName(), "WavChild");
    hwndClient->closeAllSubWindows();
    WavChild* w = Open(path);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle().toStdString(), path);
    EXPECT_EQ(Data(w)->Display, 0);
}

TEST_F(WaveWindow, keysSwitchViewsCaseSensitivelyAndEndTheRubberBand) {
    WavChild* w = Open(WriteWav("keys.wav", {{1, 2}, {3, 4}, {5, 6}, {7, 8}}));
    WAVE_DATA* wd = Data(w);
    for (auto [keys, display] : {std::pair{"2", 1}, {"4", 3}, {"3", 2}, {"1", 0}, {"M", 0}, {"x", 0}, {"3", 2}}) {
        Type(w, keys);
        EXPECT_EQ(wd->Display, display) << keys;
    }
    Click(w, 10, 10);
    Click(w, 20, 20);
    QTest::mouseMove(w, QPoint(30, 40));
    Type(w, "C");  // only lower case clears
    EXPECT_EQ(std::make_pair(wd->ListLen, wd->Drag), std::make_pair(4, 1));
    Type(w, "c");
    EXPECT_EQ(std::make_tuple(wd->ListLen, wd->ListSize, wd->Drag), std::make_tuple(0, 128, 0));  // the array stays

    MessageRecorder rec;
    Type(w, "Ii");
    EXPECT_EQ(rec.texts(), (Strings(2, "8000/16 bits/ 2 Channels  4 samples")));
    EXPECT_EQ(rec.boxes[0].flags, kExclaim);
    // "m" with fewer than two points only switches to the X/Y view.
    Type(w, "3");
    Click(w, 10, 10);
    Type(w, "m");
    EXPECT_EQ(wd->Display, 1);
    EXPECT_EQ(w->record()->Changed, 0);
    EXPECT_EQ(Frames(*wd)[0], std::make_pair(1, 2));
}

TEST_F(WaveWindow, mouseActsOnlyInTheOutlineViewWithWindowIndependentPoints) {
    WavChild* w = Open(WriteWav("mouse.wav", {{0, 0}, {0, 0}}), 300, 200);
    ASSERT_EQ(w->size(), QSize(300, 200));
    WAVE_DATA* wd = Data(w);
    for (const char* view : {"1", "2", "4"}) {
        Type(w, view);
        Click(w, 50, 50);
        EXPECT_EQ(wd->ListLen + wd->Drag, 0) << view;
    }
    Type(w, "3");
    // 65535 / 300 = 218, 65535 / 200 = 327
    struct Pt {
        int x, y, X, Y;
    } pts[] = {{50, 50, 218 * 100, 327 * 50}, {250, 150, 218 * -100, 327 * -50}, {150, 100, 0, 0}, {0, 199, 218 * 150, 327 * -99}};
    for (const Pt& p : pts) Click(w, p.x, p.y);
    ASSERT_EQ(wd->ListLen, 8);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(std::make_pair(wd->List[2 * i], wd->List[2 * i + 1]), std::make_pair(pts[i].X, pts[i].Y));
    QTest::mouseMove(w, QPoint(123, 77));
    EXPECT_EQ(wd->Drag, 1);
    EXPECT_EQ(wd->DragPos, (77L << 16) | 123);
    // A resize keeps the stored points; new ones use the new size.
    Resize(w, 400, 100);
    Click(w, 100, 25);
    EXPECT_EQ(wd->List[0], 218 * 100);
    EXPECT_EQ(wd->List[8], 163 * 100);  // 65535 / 400 = 163
    EXPECT_EQ(wd->List[9], 655 * 25);   // 65535 / 100 = 655
}

TEST_F(WaveWindow, clicksGrowTheOutlineAt64PointsAndMakeFormTracesThem) {
    WavChild* w = Open(WriteWav("grow.wav", {{0, 0}}), 300, 200);
    Type(w, "3");
    for (int i = 0; i < 63; ++i) Click(w, i, 10);
    EXPECT_EQ(Data(w)->ListSize, 128);
    Click(w, 63, 10);
    EXPECT_EQ(std::make_pair(Data(w)->ListSize, Data(w)->ListLen), std::make_pair(256, 128));

    struct Case { const char* name; int frames; std::vector<QPoint> clicks; Pairs expect; } cases[] = {
        // (50,50) -> (21800, 16350), (250,150) -> (-21800, -16350); insert = 4
        {"two points", 4, {{50, 50}, {250, 150}}, {{21800, 16350}, {10900, 8175}, {0, 0}, {-10900, -8175}}},
        // the square's corners; insert = 3, nothing left for the closing side
        {"four points", 9, {{50, 50}, {250, 50}, {250, 150}, {50, 150}},
         {{21800, 16350}, {7266, 16350}, {-7266, 16350}, {-21800, 16350}, {-21800, 5450}, {-21800, -5450},
          {-21800, -16350}, {-7266, -16350}, {7266, -16350}}},
    };
    for (const Case& c : cases) {
        WavChild* m = Open(WriteWav(std::string(c.name) + ".wav", Pairs(size_t(c.frames), {1, 1})), 300, 200);
        Type(m, "3");
        for (QPoint p : c.clicks) Click(m, p.x(), p.y());
        Type(m, "m");
        EXPECT_EQ(Frames(*Data(m)), c.expect) << c.name;
        EXPECT_EQ(Data(m)->Display, 1) << c.name;
        EXPECT_EQ(m->record()->Changed, 1) << c.name;
    }
}

TEST_F(WaveWindow, viewsDrawTheirAxesTracesAndOutline) {
    // Every frame at left 16384, right -16384, in a 300 x 200 client area.
    WavChild* w = Open(WriteWav("views.wav", Pairs(64, {16384, -16384})), 300, 200);
    QImage v0 = w->grab().toImage();
    for (int y : {100, 101, 99, 50, 150}) EXPECT_EQ(At(v0, 10, y), kWhite & 0xFFFFFF) << y;
    // s = 100 / 65535: left at int(50 - 25.0004) = 24, right at int(150 + 25.0004) = 175
    EXPECT_EQ(At(v0, 200, 24), kGreen & 0xFFFFFF);
    EXPECT_EQ(At(v0, 200, 175), kRed & 0xFFFFFF);

    Type(w, "2");
    QImage v1 = w->grab().toImage();
    EXPECT_EQ(At(v1, 10, 100), kWhite & 0xFFFFFF);
    EXPECT_EQ(At(v1, 150, 10), kWhite & 0xFFFFFF);
    // (150 + 16384 * 300 / 65535, 100 + 16384 * 200 / 65535) = (225, 150)
    EXPECT_TRUE(NearColour(v1, 225, 150, kGreen));

    Type(w, "3");
    Click(w, 50, 50);
    Click(w, 250, 50);
    QTest::mouseMove(w, QPoint(100, 150));
    QImage v2 = w->grab().toImage();
    EXPECT_TRUE(NearColour(v2, 100, 50, kRed));     // outline, drawn where clicked
    EXPECT_TRUE(NearColour(v2, 220, 70, kRed));     // rubber band from (250, 50) toward (100, 150)
    EXPECT_TRUE(NearColour(v2, 225, 150, kGreen));  // the trace over it
    Type(w, "3");                                   // a key ends the rubber band
    EXPECT_FALSE(NearColour(w->grab().toImage(), 220, 70, kRed));

    Type(w, "4");
    QImage v3 = w->grab().toImage();
    EXPECT_EQ(At(v3, 2, 15), kWhite & 0xFFFFFF);  // the text's opaque box at (1, 14)
    int dark = 0;
    for (int x = 1; x < 150; ++x)
        for (int y = 14; y < 30; ++y) dark += qGray(v3.pixel(x, y)) < 100;
    EXPECT_GT(dark, 20);
}

TEST_F(WaveWindow, playbackTitlesFollowTheDevice) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string path = WriteWav("play.wav", Pairs(400, {100, -100}));  // 50 ms
    WavChild* w = Open(path);
    WAVE_DATA* wd = Data(w);
    Type(w, "\r");
    EXPECT_EQ(w->windowTitle(), "Playing");
    EXPECT_EQ(wd->Playing, 1);
    QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle().toStdString(), path, 5000);
    EXPECT_EQ(wd->Playing, 0);
    EXPECT_FALSE(wd->hWaveOut);

    Type(w, " ");  // loop 1000
    EXPECT_EQ(w->windowTitle(), "Playing");
    const uint64_t first = wd->hWaveOut->serial();
    Type(w, "p");  // a start while playing replaces the running one
    ASSERT_TRUE(wd->hWaveOut);
    EXPECT_NE(wd->hWaveOut->serial(), first);
    QTest::qWait(100);
    EXPECT_EQ(w->windowTitle(), "Playing") << "the old device's notice must not end the new playback";
    Type(w, " ");  // stop
    QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle().toStdString(), path, 2000);
    EXPECT_EQ(wd->Playing, 0);
    Type(w, "\n");
    EXPECT_EQ(w->windowTitle(), "Playing");
    // Closing while it plays stops the device before the document goes.
    Type(w, "R");
    w->subWindow()->close();
    QApplication::processEvents();
    EXPECT_EQ(FirstFileStruct(), nullptr);
}

TEST_F(WaveWindow, afterMakeFormClosingAsksAndCancelKeepsTheWindow) {
    const std::string path = WriteWav("ask.wav", Pairs(8, {0, 0}));
    MessageRecorder rec;
    EXPECT_TRUE(Open(path)->subWindow()->close());  // nothing changed: no question
    EXPECT_TRUE(rec.boxes.empty());
    WavChild* w = Open(path);
    Type(w, "3");
    Click(w, 10, 10);
    Click(w, 200, 100);
    Type(w, "m");
    rec.answers = {platform::IDCANCEL};
    EXPECT_FALSE(w->subWindow()->close());
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].text, "OK to close?");
    EXPECT_EQ(rec.boxes[0].caption, "Sure about this?");
    EXPECT_EQ(rec.boxes[0].flags, platform::MB_OKCANCEL | platform::MB_ICONQUESTION);
    ASSERT_TRUE(w->record() && Data(w)->lpData);
    EXPECT_FALSE(w->grab().isNull());
    rec.answers = {platform::IDOK};
    EXPECT_TRUE(w->subWindow()->close());
    QApplication::processEvents();
    EXPECT_EQ(rec.boxes.size(), 2u);
    EXPECT_EQ(FirstFileStruct(), nullptr);
}

// The quick drawing (columns merged, the X/Y trace rasterised once) against every frame
// drawn as a painter's line: the pixels must agree almost everywhere.
TEST(WavePaint, quickViewsLookLikeTheFrameByFrameTrace) {
    const int W = 320, H = 240;
    const QColor bg(160, 160, 160);
    // Channels at 50 frames per column and at fewer frames than columns; the X/Y view.
    for (auto [display, frames] : {std::pair{0, 16000u}, {0, 100u}, {1, 3000u}}) {
        Pairs f;
        uint32_t seed = 7;
        for (uint32_t i = 0; i < frames; ++i) {
            seed = seed * 1103515245u + 12345u;
            f.emplace_back(int(20000 * std::sin(i * 0.013)) + int(seed >> 22) - 512,
                           int(15000 * std::cos(i * 0.021)) + int((seed >> 12) & 1023) - 512);
        }
        const Bytes data = Frames16(f);
        WAVE_DATA wd;
        wd.dwDataSize = frames * 4;
        wd.lpData.reset(new uint8_t[wd.dwDataSize]);
        std::copy(data.begin(), data.end(), wd.lpData.get());
        wd.Display = display;
        QImage quick(W, H, QImage::Format_RGB32), slow(W, H, QImage::Format_RGB32);
        {
            QPainter p(&quick);
            PaintWav(p, W, H, wd, bg);
        }
        QPainter p(&slow);
        p.fillRect(0, 0, W, H, bg);
        p.setPen(QPen(Qt::white, 1));
        std::vector<QPoint> a, b;
        if (display == 0) {
            for (int y : {H / 2, H / 2 + 1, H / 2 - 1, H / 4, H - H / 4}) p.drawLine(0, y, W, y);
            const double s = (H / 2) / 65535.0;
            for (uint32_t i = 0; i < frames; ++i) {
                a.emplace_back(int(i * double(W) / frames), int(H / 4 - f[i].first * s));
                b.emplace_back(int(i * double(W) / frames), int(H - H / 4 - f[i].second * s));
            }
        } else {
            p.drawLine(0, H / 2, W, H / 2);
            p.drawLine(W / 2, 0, W / 2, H);
            for (uint32_t i = 0; i < frames; ++i)
                a.emplace_back(int(W / 2 + f[i].first * (W / 65535.0)), int(H / 2 - f[i].second * (H / 65535.0)));
        }
        p.setPen(QPen(QColor(0, 255, 0), 1));
        p.drawPolyline(a.data(), int(a.size()));
        p.setPen(QPen(QColor(255, 0, 0), 2));
        p.drawPolyline(b.data(), int(b.size()));
        p.end();
        // Each coloured pixel of one picture has the same colour within one pixel in the other.
        int drawn = 0, unmatched[2] = {0, 0};
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                drawn += slow.pixel(x, y) != bg.rgb();
                unmatched[0] += quick.pixel(x, y) != bg.rgb() && !NearColour(slow, x, y, quick.pixel(x, y));
                unmatched[1] += slow.pixel(x, y) != bg.rgb() && !NearColour(quick, x, y, slow.pixel(x, y));
            }
        EXPECT_GT(drawn, 1000) << display << " " << frames;
        EXPECT_LE(unmatched[0], drawn / 200) << display << " " << frames;
        EXPECT_LE(unmatched[1], drawn / 200) << display << " " << frames;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
