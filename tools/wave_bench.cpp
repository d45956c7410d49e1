// Repaint time of each view of the wave window for a 10-minute 44.1 kHz stereo sound,
// drawn offscreen into a picture of the client size.
//   wave_bench [WIDTHxHEIGHT] [--naive] [--save DIR]
// --naive also times the channel view drawn frame by frame, for comparison; --save writes
// each view as DIR/wave_viewN.png.
#include "wave/wave_data.h"
#include "wave/wave_outline.h"
#include "wave/wave_paint.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Music-like samples: a few tones with a slow swell and some noise.
void FillSound(WAVE_DATA& wd, uint32_t frames) {
    wd.pFormat = std::make_unique<WAVEFORMATEX>();
    *wd.pFormat = {1, 2, 44100, 44100 * 4, 4, 16, 0};
    wd.dwDataSize = frames * 4;
    wd.lpData.reset(new uint8_t[wd.dwDataSize]);
    uint32_t noise = 12345;
    for (uint32_t i = 0; i < frames; ++i) {
        double t = i / 44100.0, swell = 0.5 + 0.5 * std::sin(t * 0.7);
        noise = noise * 1664525u + 1013904223u;
        double n = int(noise >> 20) - 2048;
        double l = swell * (9000 * std::sin(t * 2 * M_PI * 220) + 5000 * std::sin(t * 2 * M_PI * 331)) + n;
        double r = swell * (9000 * std::cos(t * 2 * M_PI * 220) + 5000 * std::sin(t * 2 * M_PI * 447)) + n;
        auto put = [&](size_t at, double v) {
            auto s = uint16_t(int16_t(std::clamp(v, -32768.0, 32767.0)));
            wd.lpData[at] = uint8_t(s);
            wd.lpData[at + 1] = uint8_t(s >> 8);
        };
        put(size_t(i) * 4, l);
        put(size_t(i) * 4 + 2, r);
    }
}

double PaintOnce(QImage& img, WAVE_DATA& wd) {
    QPainter p(&img);
    auto t0 = std::chrono::steady_clock::now();
    PaintWav(p, img.width(), img.height(), wd, QColor(160, 160, 160));
    return Ms(std::chrono::steady_clock::now() - t0);
}

// Median of n paints.
double PaintMedian(QImage& img, WAVE_DATA& wd, int n) {
    std::vector<double> t;
    for (int i = 0; i < n; ++i) t.push_back(PaintOnce(img, wd));
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int W = 1200, H = 800;
    bool naive = false;
    QString save;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--naive")) naive = true;
        else if (!std::strcmp(argv[i], "--save") && i + 1 < argc) save = argv[++i];
        else std::sscanf(argv[i], "%dx%d", &W, &H);
    }
    const uint32_t frames = 10u * 60u * 44100u;
    WAVE_DATA wd;
    auto t0 = std::chrono::steady_clock::now();
    FillSound(wd, frames);
    std::printf("sound: %u frames (%.1f MB), made in %.0f ms; client %dx%d\n", frames, wd.dwDataSize / 1e6,
                Ms(std::chrono::steady_clock::now() - t0), W, H);

    QImage img(W, H, QImage::Format_RGB32);
    wd.Display = 0;
    std::printf("view 0 channels, first paint (summary made): %8.1f ms\n", PaintOnce(img, wd));
    std::printf("view 0 channels, repaint:                     %8.1f ms  (target < 100)\n", PaintMedian(img, wd, 9));
    if (!save.isEmpty()) img.save(save + "/wave_view0.png");
    QImage other(W - 37, H, QImage::Format_RGB32);
    std::printf("view 0 channels, after a resize:              %8.1f ms  (target < 100)\n", PaintOnce(other, wd));

    wd.Display = 1;
    std::printf("view 1 X/Y, first paint (trace drawn):        %8.1f ms\n", PaintOnce(img, wd));
    std::printf("view 1 X/Y, repaint:                          %8.1f ms\n", PaintMedian(img, wd, 9));
    if (!save.isEmpty()) img.save(save + "/wave_view1.png");

    wd.Display = 2;
    for (int k = 0; k < 40; ++k)  // an outline of 40 points round an ellipse
        AddOutlinePoint(wd, W, H,
                        uint32_t(W / 2 + int(W / 3 * std::cos(k * 0.157))) |
                            uint32_t(H / 2 + int(H / 3 * std::sin(k * 0.157))) << 16);
    wd.Drag = 1;
    std::vector<double> moves;
    for (int k = 0; k < 25; ++k) {
        wd.DragPos = long(uint32_t(10 + 40 * k) | uint32_t(20 + 25 * k) << 16);
        moves.push_back(PaintOnce(img, wd));
    }
    std::sort(moves.begin(), moves.end());
    if (!save.isEmpty()) img.save(save + "/wave_view2.png");
    std::printf("view 2 outline, rubber-band move (median/max): %7.1f / %.1f ms  (target < 100)\n",
                moves[moves.size() / 2], moves.back());

    wd.Display = 3;
    std::printf("view 3 information line:                      %8.1f ms\n", PaintMedian(img, wd, 9));
    if (!save.isEmpty()) img.save(save + "/wave_view3.png");

    if (naive) {  // every frame one segment, as a plain trace would draw it
        QPainter p(&img);
        std::vector<QPoint> pts(frames);
        const double step = double(W) / frames, s = (H / 2) / 65535.0;
        for (uint32_t i = 0; i < frames; ++i) pts[i] = QPoint(int(i * step), int(H / 4 - FrameSample(wd.lpData.get(), LayoutOf(wd), i, 0) * s));
        p.setPen(QPen(QColor(0, 255, 0), 1));
        auto n0 = std::chrono::steady_clock::now();
        p.drawPolyline(pts.data(), int(pts.size()));
        std::printf("for comparison, left channel frame by frame:  %8.1f ms\n", Ms(std::chrono::steady_clock::now() - n0));
    }
    return 0;
}
