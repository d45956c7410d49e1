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
#include <fstream>
#include <unistd.h>

using namespace wavtest;
using platform::MessageRecorder;

namespace {

constexpr unsigned kExclaim = platform::MB_OK | platform::MB_ICONEXCLAMATION;

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

    // Writes a 16-bit stereo file of the given frames (left, right).
    static std::string WriteWav(const std::string& name, const std::vector<std::pair<int, int>>& frames,
                                uint32_t rate = 8000) {
        Bytes data;
        for (auto [l, r] : frames) {
            Put16(data, uint16_t(l));
            Put16(data, uint16_t(r));
        }
        return WriteFile(name, Riff({Fmt(2, rate, 16), {"data", data}}));
    }
    static std::string WriteFile(const std::string& name, const Bytes& b) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), long(b.size()));
        return path;
    }
    // Opens through the frame's dispatch and sizes the client area to W x H.
    static WavChild* Open(const std::string& path, int W = 300, int H = 200) {
        FileOpenMsg(path);
        OPENEDFILE* of = GetLastFileStruct();
        if (!of) return nullptr;
        auto* child = qobject_cast<WavChild*>(of->hwnd.data());
        QMdiSubWindow* sub = child->subWindow();
        sub->resize(sub->size() - child->size() + QSize(W, H));
        QApplication::processEvents();
        return child;
    }
    static WAVE_DATA* Data(WavChild* w) { return w->record()->data<WAVE_DATA>(); }
    static void Type(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &e);
        }
    }
    static void Click(QWidget* w, int x, int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    }
    static std::vector<std::pair<int, int>> Frames(WAVE_DATA* wd) {
        std::vector<std::pair<int, int>> out;
        for (uint32_t i = 0; i < wd->frames(); ++i)
            out.emplace_back(FrameSample(wd->lpData.get(), i, 0), FrameSample(wd->lpData.get(), i, 1));
        return out;
    }
    static bool NearColour(const QImage& img, int x, int y, QRgb colour) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (img.rect().contains(x + dx, y + dy) && (img.pixel(x + dx, y + dy) & 0xFFFFFF) == (colour & 0xFFFFFF))
                    return true;
        return false;
    }

    static inline QMainWindow* frame_ = nullptr;
    static inline std::filesystem::path dir_;
};

TEST_F(WaveWindow, failedLoadsShowTheLoaderMessageThenTheDispatchsAndCloseTheWindow) {
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    } cases[] = {
        {"nonpcm.wav", Riff({Fmt(1, 8000, 8, 7), {"data", Ramp(8)}}), "no PCM file"},
        {"datafirst.wav", Riff({{"data", Ramp(8)}, Fmt(2, 8000, 16)}), "No data chunk"},
        {"empty.wav", Riff({Fmt(2, 8000, 16), {"data", {}}}), "empty chunk"},
        {"cut.wav", Riff({Fmt(2, 8000, 16), {"data", Ramp(8), 800}}), "Failed read chunk"},
        {"short.wav", Riff({{"fmt ", Bytes(12, 1)}, {"data", Ramp(8)}}), "wave file corrupt"},
    };
    for (const Case& c : cases) {
        MessageRecorder rec;
        FileOpenMsg(WriteFile(c.name, c.file));
        QApplication::processEvents();
        ASSERT_EQ(rec.boxes.size(), 2u) << c.name;
        EXPECT_EQ(rec.boxes[0].text, c.message) << c.name;
        EXPECT_EQ(rec.boxes[0].caption, "") << c.name;
        EXPECT_EQ(rec.boxes[0].flags, kExclaim) << c.name;
        EXPECT_EQ(rec.boxes[1].text, "Error from LoadWave()!") << c.name;
        EXPECT_EQ(hwndClient->subWindowList().size(), 0) << c.name;
        EXPECT_EQ(FirstFileStruct(), nullptr) << c.name;
    }
    MessageRecorder rec;
    FileOpenMsg((dir_ / "missing.wav").string());
    EXPECT_EQ(rec.texts(), (std::vector<std::string>{"couldn't load", "Error from LoadWave()!"}));
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
    struct Step {
        const char* keys;
        int display;
    } steps[] = {{"2", 1}, {"4", 3}, {"3", 2}, {"1", 0}, {"M", 0}, {"x", 0}, {"3", 2}};
    for (const Step& s : steps) {
        Type(w, s.keys);
        EXPECT_EQ(wd->Display, s.display) << s.keys;
    }
    Click(w, 10, 10);
    Click(w, 20, 20);
    QTest::mouseMove(w, QPoint(30, 40));
    EXPECT_EQ(wd->ListLen, 4);
    Type(w, "C");  // only lower case clears
    EXPECT_EQ(wd->ListLen, 4);
    EXPECT_EQ(wd->Drag, 1);
    Type(w, "c");
    EXPECT_EQ(wd->ListLen, 0);
    EXPECT_EQ(wd->ListSize, 128);  // the array stays
    EXPECT_EQ(wd->Drag, 0);

    MessageRecorder rec;
    Type(w, "Ii");
    EXPECT_EQ(rec.texts(), (std::vector<std::string>{"8000/16 bits/ 2 Channels  4 samples",
                                                     "8000/16 bits/ 2 Channels  4 samples"}));
    EXPECT_EQ(rec.boxes[0].flags, kExclaim);
    // "m" with fewer than two points only switches to the X/Y view.
    Type(w, "3");
    Click(w, 10, 10);
    Type(w, "m");
    EXPECT_EQ(wd->Display, 1);
    EXPECT_EQ(w->record()->Changed, 0);
    EXPECT_EQ(Frames(wd)[0], std::make_pair(1, 2));
}

TEST_F(WaveWindow, mouseActsOnlyInTheOutlineViewWithWindowIndependentPoints) {
    WavChild* w = Open(WriteWav("mouse.wav", {{0, 0}, {0, 0}}), 300, 200);
    ASSERT_EQ(w->size(), QSize(300, 200));
    WAVE_DATA* wd = Data(w);
    for (const char* view : {"1", "2", "4"}) {
        Type(w, view);
        Click(w, 50, 50);
        EXPECT_EQ(wd->ListLen, 0) << view;
        EXPECT_EQ(wd->Drag, 0) << view;
    }
    Type(w, "3");
    // 65535 / 300 = 218, 65535 / 200 = 327
    struct Pt {
        int x, y, X, Y;
    } pts[] = {{50, 50, 218 * 100, 327 * 50}, {250, 150, 218 * -100, 327 * -50}, {150, 100, 0, 0}, {0, 199, 218 * 150, 327 * -99}};
    for (const Pt& p : pts) Click(w, p.x, p.y);
    ASSERT_EQ(wd->ListLen, 8);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(wd->List[2 * i], pts[i].X) << i;
        EXPECT_EQ(wd->List[2 * i + 1], pts[i].Y) << i;
    }
    QTest::mouseMove(w, QPoint(123, 77));
    EXPECT_EQ(wd->Drag, 1);
    EXPECT_EQ(wd->DragPos, (77L << 16) | 123);

    // A resize keeps the stored points; new ones use the new size.
    QMdiSubWindow* sub = w->subWindow();
    sub->resize(sub->size() - w->size() + QSize(400, 100));
    QApplication::processEvents();
    Click(w, 100, 25);
    EXPECT_EQ(wd->List[0], 218 * 100);
    EXPECT_EQ(wd->List[8], 163 * 100);  // 65535 / 400 = 163
    EXPECT_EQ(wd->List[9], 655 * 25);   // 65535 / 100 = 655
}

TEST_F(WaveWindow, clicksGrowTheOutlineAt64PointsAndMakeFormTracesThem) {
    // 64 clicks: the capacity goes from 128 to 256 ints with the 64th.
    WavChild* w = Open(WriteWav("grow.wav", {{0, 0}}), 300, 200);
    WAVE_DATA* wd = Data(w);
    Type(w, "3");
    for (int i = 0; i < 63; ++i) Click(w, i, 10);
    EXPECT_EQ(wd->ListSize, 128);
    Click(w, 63, 10);
    EXPECT_EQ(wd->ListSize, 256);
    EXPECT_EQ(wd->ListLen, 128);

    using F = std::vector<std::pair<int, int>>;
    struct Case {
        const char* name;
        int frames;
        std::vector<QPoint> clicks;
        F expect;
    } cases[] = {
        // (50,50) -> (21800, 16350), (250,150) -> (-21800, -16350); insert = 4
        {"two points", 4, {{50, 50}, {250, 150}}, {{21800, 16350}, {10900, 8175}, {0, 0}, {-10900, -8175}}},
        // the square's corners; insert = 3, nothing left for the closing side
        {"four points", 9, {{50, 50}, {250, 50}, {250, 150}, {50, 150}},
         {{21800, 16350}, {7266, 16350}, {-7266, 16350}, {-21800, 16350}, {-21800, 5450}, {-21800, -5450},
          {-21800, -16350}, {-7266, -16350}, {7266, -16350}}},
    };
    for (const Case& c : cases) {
        WavChild* m = Open(WriteWav(std::string(c.name) + ".wav", F(size_t(c.frames), {1, 1})), 300, 200);
        Type(m, "3");
        for (QPoint p : c.clicks) Click(m, p.x(), p.y());
        Type(m, "m");
        WAVE_DATA* md = Data(m);
        EXPECT_EQ(Frames(md), c.expect) << c.name;
        EXPECT_EQ(md->Display, 1) << c.name;
        EXPECT_EQ(m->record()->Changed, 1) << c.name;
    }
}

TEST_F(WaveWindow, viewsDrawTheirAxesTracesAndOutline) {
    // Every frame at left 16384, right -16384, in a 300 x 200 client area.
    WavChild* w = Open(WriteWav("views.wav", std::vector<std::pair<int, int>>(64, {16384, -16384})), 300, 200);
    const QRgb green = qRgb(0, 255, 0), red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    QImage v0 = w->grab().toImage();
    for (int y : {100, 101, 99, 50, 150}) EXPECT_EQ(v0.pixel(10, y) & 0xFFFFFF, white & 0xFFFFFF) << y;
    // s = 100 / 65535: left at int(50 - 25.0004) = 24, right at int(150 + 25.0004) = 175
    EXPECT_TRUE(NearColour(v0, 200, 24, green));
    EXPECT_EQ(v0.pixel(200, 24) & 0xFFFFFF, green & 0xFFFFFF);
    EXPECT_EQ(v0.pixel(200, 175) & 0xFFFFFF, red & 0xFFFFFF);

    Type(w, "2");
    QImage v1 = w->grab().toImage();
    EXPECT_EQ(v1.pixel(10, 100) & 0xFFFFFF, white & 0xFFFFFF);
    EXPECT_EQ(v1.pixel(150, 10) & 0xFFFFFF, white & 0xFFFFFF);
    // (150 + 16384 * 300 / 65535, 100 + 16384 * 200 / 65535) = (225, 150)
    EXPECT_TRUE(NearColour(v1, 225, 150, green));

    Type(w, "3");
    Click(w, 50, 50);
    Click(w, 250, 50);
    QTest::mouseMove(w, QPoint(100, 150));
    QImage v2 = w->grab().toImage();
    EXPECT_TRUE(NearColour(v2, 100, 50, red));    // outline, drawn where clicked
    EXPECT_TRUE(NearColour(v2, 220, 70, red));    // rubber band from (250, 50) toward (100, 150)
    EXPECT_TRUE(NearColour(v2, 225, 150, green));  // the trace over it
    Type(w, "3");                                   // a key ends the rubber band
    EXPECT_FALSE(NearColour(w->grab().toImage(), 220, 70, red));

    Type(w, "4");
    QImage v3 = w->grab().toImage();
    EXPECT_EQ(v3.pixel(2, 15) & 0xFFFFFF, 0xFFFFFFu);  // the text's opaque box at (1, 14)
    int dark = 0;
    for (int x = 1; x < 150; ++x)
        for (int y = 14; y < 30; ++y) dark += qGray(v3.pixel(x, y)) < 100;
    EXPECT_GT(dark, 20);
    if (const char* dir = std::getenv("WAVE_UI_SHOTS")) {  // for looking at the views by eye
        v0.save(QString(dir) + "/view0.png");
        v1.save(QString(dir) + "/view1.png");
        v2.save(QString(dir) + "/view2.png");
        v3.save(QString(dir) + "/view3.png");
    }
}

TEST_F(WaveWindow, playbackTitlesFollowTheDevice) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string path = WriteWav("play.wav", std::vector<std::pair<int, int>>(400, {100, -100}));  // 50 ms
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
    WavChild* w = Open(WriteWav("ask.wav", std::vector<std::pair<int, int>>(8, {0, 0})));
    {
        MessageRecorder rec;
        w->subWindow()->close();  // nothing changed: no question
        EXPECT_TRUE(rec.boxes.empty());
    }
    w = Open(WriteWav("ask.wav", std::vector<std::pair<int, int>>(8, {0, 0})));
    Type(w, "3");
    Click(w, 10, 10);
    Click(w, 200, 100);
    Type(w, "m");
    MessageRecorder rec;
    rec.answers = {platform::IDCANCEL};
    EXPECT_FALSE(w->subWindow()->close());
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].text, "OK to close?");
    EXPECT_EQ(rec.boxes[0].caption, "Sure about this?");
    EXPECT_EQ(rec.boxes[0].flags, platform::MB_OKCANCEL | platform::MB_ICONQUESTION);
    ASSERT_TRUE(w->record());
    EXPECT_TRUE(Data(w)->lpData);
    EXPECT_FALSE(w->grab().isNull());
    rec.answers = {platform::IDOK};
    EXPECT_TRUE(w->subWindow()->close());
    QApplication::processEvents();
    EXPECT_EQ(rec.boxes.size(), 2u);
    EXPECT_EQ(FirstFileStruct(), nullptr);
}

bool NearColourIn(const QImage& img, int x, int y, QRgb colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (img.rect().contains(x + dx, y + dy) && img.pixel(x + dx, y + dy) == colour) return true;
    return false;
}

// The quick drawing (columns merged, the X/Y trace rasterised once) against every frame
// drawn as a painter's line: the pixels must agree almost everywhere.
TEST(WavePaint, quickViewsLookLikeTheFrameByFrameTrace) {
    const int W = 320, H = 240;
    const QColor bg(160, 160, 160);
    struct Case {
        const char* name;
        int display;
        uint32_t frames;
    } cases[] = {{"channels, 50 frames per column", 0, 16000}, {"X/Y", 1, 3000}};
    for (const Case& c : cases) {
        WAVE_DATA wd;
        wd.dwDataSize = c.frames * 4;
        wd.lpData.reset(new uint8_t[wd.dwDataSize]);
        uint32_t seed = 7;
        for (uint32_t i = 0; i < c.frames; ++i) {
            seed = seed * 1103515245u + 12345u;
            int l = int(20000 * std::sin(i * 0.013)) + int(seed >> 22) - 512;
            int r = int(15000 * std::cos(i * 0.021)) + int((seed >> 12) & 1023) - 512;
            Bytes b;
            Put16(b, uint16_t(l));
            Put16(b, uint16_t(r));
            std::copy(b.begin(), b.end(), wd.lpData.get() + size_t(i) * 4);
        }
        wd.Display = c.display;
        QImage quick(W, H, QImage::Format_RGB32), slow(W, H, QImage::Format_RGB32);
        {
            QPainter p(&quick);
            PaintWav(p, W, H, wd, bg);
        }
        {
            QPainter p(&slow);
            p.fillRect(0, 0, W, H, bg);
            p.setPen(QPen(Qt::white, 1));
            auto sample = [&](uint32_t i, int k) { return FrameSample(wd.lpData.get(), i, k); };
            std::vector<QPoint> a, b;
            if (c.display == 0) {
                for (int y : {H / 2, H / 2 + 1, H / 2 - 1, H / 4, H - H / 4}) p.drawLine(0, y, W, y);
                const double s = (H / 2) / 65535.0;
                for (uint32_t i = 0; i < c.frames; ++i) {
                    a.emplace_back(int(i * double(W) / c.frames), int(H / 4 - sample(i, 0) * s));
                    b.emplace_back(int(i * double(W) / c.frames), int(H - H / 4 - sample(i, 1) * s));
                }
                p.setPen(QPen(QColor(0, 255, 0), 1));
                p.drawPolyline(a.data(), int(a.size()));
                p.setPen(QPen(QColor(255, 0, 0), 2));
                p.drawPolyline(b.data(), int(b.size()));
            } else {
                p.drawLine(0, H / 2, W, H / 2);
                p.drawLine(W / 2, 0, W / 2, H);
                for (uint32_t i = 0; i < c.frames; ++i)
                    a.emplace_back(int(W / 2 + sample(i, 0) * (W / 65535.0)), int(H / 2 - sample(i, 1) * (H / 65535.0)));
                p.setPen(QPen(QColor(0, 255, 0), 1));
                p.drawPolyline(a.data(), int(a.size()));
            }
        }
        // Each coloured pixel of one picture has the same colour within one pixel in the other.
        auto unmatched = [&](const QImage& a, const QImage& b) {
            int n = 0;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    if (a.pixel(x, y) != bg.rgb() && !NearColourIn(b, x, y, a.pixel(x, y))) ++n;
            return n;
        };
        int drawn = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) drawn += slow.pixel(x, y) != bg.rgb();
        EXPECT_GT(drawn, 1000) << c.name;
        EXPECT_LE(unmatched(quick, slow), drawn / 200) << c.name;
        EXPECT_LE(unmatched(slow, quick), drawn / 200) << c.name;
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
