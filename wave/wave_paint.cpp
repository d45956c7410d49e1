#include "wave/wave_paint.h"

#include "wave/wav_loader.h"
#include "wave/wave_data.h"

#include <QPainter>
#include <QPen>
#include <cstdlib>
#include <vector>

namespace {

struct Pens {
    QPen Left{QColor(0, 255, 0), 1, Qt::SolidLine};
    QPen Right{QColor(255, 0, 0), 2, Qt::SolidLine};
    QPen Line{QColor(255, 255, 255), 1, Qt::SolidLine};
};

// Frames that fall on one column are merged once there are clearly more frames than columns.
bool Summarised(uint32_t F, int W) { return uint64_t(F) > 2 * uint64_t(std::max(W, 1)); }

void DrawChannel(QPainter& p, const WAVE_DATA& wd, int k, int W, int zeroY, double s) {
    const uint32_t F = wd.frames();
    const uint8_t* data = wd.lpData.get();
    auto y = [&](int v) { return int(zeroY - v * s); };
    if (Summarised(F, W)) {
        const auto& cols = k == 0 ? wd.summaryLeft : wd.summaryRight;
        for (int c = 0; c < int(cols.size()); ++c)
            if (cols[size_t(c)].used) p.drawLine(c, y(cols[size_t(c)].hi), c, y(cols[size_t(c)].lo));
        return;
    }
    const double step = double(W) / double(F);
    const SampleLayout L = LayoutOf(wd);
    std::vector<QPoint> pts;
    pts.reserve(F);
    for (uint32_t i = 0; i < F; ++i) pts.emplace_back(int(i * step), y(FrameSample(data, L, i, k)));
    p.drawPolyline(pts.data(), int(pts.size()));
}

void PaintChannels(QPainter& p, int W, int H, WAVE_DATA& wd, const Pens& pens) {
    p.setPen(pens.Line);
    for (int y : {H / 2, H / 2 + 1, H / 2 - 1, H / 4, H - H / 4}) p.drawLine(0, y, W, y);
    const uint32_t F = wd.frames();
    if (!wd.lpData || F == 0) return;
    if (Summarised(F, W) && (wd.summaryWidth != W || wd.summaryGeneration != wd.generation)) {
        SummarizeChannels(wd.lpData.get(), LayoutOf(wd), F, W, wd.summaryLeft, wd.summaryRight);
        wd.summaryWidth = W;
        wd.summaryGeneration = wd.generation;
    }
    const double s = double(H / 2) / 65535.0;
    p.setPen(pens.Left);
    DrawChannel(p, wd, 0, W, H / 4, s);
    p.setPen(pens.Right);
    DrawChannel(p, wd, 1, W, H - H / 4, s);
}

// One-pixel line with both ends, clipped to the picture; as a 1-pixel pen draws it.
void RasterLine(uint32_t* bits, qsizetype stride, int W, int H, QPoint a, QPoint b, uint32_t colour) {
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (unsigned(x) < unsigned(W) && unsigned(y) < unsigned(H)) bits[y * stride + x] = colour;
        if (x == b.x() && y == b.y()) return;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Axes and the left-against-right trace, consecutive frames joined, into a 32-bit picture.
// Millions of short segments go straight into the pixels: a general painter takes about
// a microsecond for each.
void DrawXY(QImage& img, const WAVE_DATA& wd, const Pens& pens) {
    const int W = img.width(), H = img.height();
    {
        QPainter p(&img);
        p.setPen(pens.Line);
        p.drawLine(0, H / 2, W, H / 2);
        p.drawLine(W / 2, 0, W / 2, H);
    }
    const uint32_t F = wd.frames();
    if (!wd.lpData || F == 0) return;
    auto* bits = reinterpret_cast<uint32_t*>(img.bits());
    const qsizetype stride = img.bytesPerLine() / 4;
    const uint32_t colour = pens.Left.color().rgba();  // opaque, so premultiplied alike
    const double w = W / 65535.0, h = H / 65535.0;
    const int cx = W / 2, cy = H / 2;
    const uint8_t* data = wd.lpData.get();
    const SampleLayout L = LayoutOf(wd);
    auto point = [&](uint32_t i) {
        return QPoint(int(cx + FrameSample(data, L, i, 0) * w), int(cy - FrameSample(data, L, i, 1) * h));
    };
    QPoint at = point(0);
    RasterLine(bits, stride, W, H, at, at, colour);
    for (uint32_t i = 1; i < F; ++i) {
        const QPoint next = point(i);
        if (next == at) continue;  // a repeated point draws nothing new
        RasterLine(bits, stride, W, H, at, next, colour);
        at = next;
    }
}

const QImage& XYTrace(int W, int H, WAVE_DATA& wd, const Pens& pens) {
    if (wd.xyTrace.size() != QSize(W, H) || wd.xyGeneration != wd.generation) {
        wd.xyTrace = QImage(W, H, QImage::Format_ARGB32_Premultiplied);
        wd.xyTrace.fill(Qt::transparent);
        DrawXY(wd.xyTrace, wd, pens);
        wd.xyGeneration = wd.generation;
    }
    return wd.xyTrace;
}

void PaintOutline(QPainter& p, int W, int H, const WAVE_DATA& wd, const Pens& pens) {
    if (wd.ListLen == 0 || !wd.List) return;
    p.setPen(pens.Right);
    const double w = W / 65535.0, h = H / 65535.0;
    const int cx = W / 2, cy = H / 2;
    QPoint at(int(cx - wd.List[0] * w), int(cy - wd.List[1] * h));
    for (int k = 2; k + 1 < wd.ListLen; k += 2) {
        QPoint next(int(cx - wd.List[k] * w), int(cy - wd.List[k + 1] * h));
        p.drawLine(at, next);
        at = next;
    }
    if (wd.Drag == 1) p.drawLine(at, QPoint(int(wd.DragPos & 0xFFFF), int((wd.DragPos >> 16) & 0xFFFF)));
}

void PaintInfo(QPainter& p, const WAVE_DATA& wd) {
    if (!wd.pFormat) return;
    // The text as a fresh device context draws it: black on an opaque white box, its top at y 14.
    QString text = QString::fromStdString(WaveDisplayText(*wd.pFormat, wd.dwDataSize));
    QFontMetrics fm = p.fontMetrics();
    QRect box(1, 14, fm.horizontalAdvance(text), fm.height());
    p.fillRect(box, Qt::white);
    p.setPen(Qt::black);
    p.drawText(1, 14 + fm.ascent(), text);
}

}  // namespace

void PaintWav(QPainter& p, int W, int H, WAVE_DATA& wd, const QColor& background) {
    p.fillRect(0, 0, W, H, background);
    if (W <= 0 || H <= 0) return;
    const Pens pens;
    switch (wd.Display) {
    case 0: PaintChannels(p, W, H, wd, pens); break;
    case 2: PaintOutline(p, W, H, wd, pens); [[fallthrough]];
    case 1: p.drawImage(0, 0, XYTrace(W, H, wd, pens)); break;
    case 3: PaintInfo(p, wd); break;
    default: break;
    }
}
