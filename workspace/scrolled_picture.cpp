#include "workspace/scrolled_picture.h"

#include "workspace/frame_interface.h"

#include <QApplication>
#include <QMdiArea>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>

QColor WorkspaceColor() {
    if (QMdiArea* area = FrameMdiArea()) return area->background().color();
    return QApplication::palette().color(QPalette::Dark);
}

void InitScrollBars(QWidget* window, QScrollBar* hbar, QScrollBar* vbar) {
    hbar->setObjectName("hscroll");
    vbar->setObjectName("vscroll");
    hbar->setSingleStep(5);
    vbar->setSingleStep(5);
    hbar->hide();
    vbar->hide();
    QObject::connect(hbar, &QScrollBar::valueChanged, window, [window](int v) {
        if (OPENEDFILE* f = GetFileStruct(window)) f->Xscroll = v;
        window->update();
    });
    QObject::connect(vbar, &QScrollBar::valueChanged, window, [window](int v) {
        if (OPENEDFILE* f = GetFileStruct(window)) f->Yscroll = v;
        window->update();
    });
}

int ZoomedExtent(int size, double zoom) { return zoom == 1.0 ? size : std::max(1, int(std::lround(size * zoom))); }

void SetScroll(QWidget* window, OPENEDFILE* of, QScrollBar* hbar, QScrollBar* vbar, double zoom) {
    if (!of) return;
    const int xsize = ZoomedExtent(of->Xsize, zoom), ysize = ZoomedExtent(of->Ysize, zoom);
    // A bar shows when its page does not cover the range; each bar takes room from the other.
    const int ext = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bool needH = false, needV = false;
    for (int pass = 0; pass < 3; ++pass) {
        const int cw = window->width() - (needV ? ext : 0), ch = window->height() - (needH ? ext : 0);
        needH = cw + 1 <= xsize - 1;
        needV = ch + 1 <= ysize - 1;
    }
    of->Xclient = std::max(0, window->width() - (needV ? ext : 0));
    of->Yclient = std::max(0, window->height() - (needH ? ext : 0));
    const int largestX = std::max(0, xsize - 1 + 1 - (of->Xclient + 1));
    const int largestY = std::max(0, ysize - 1 + 1 - (of->Yclient + 1));
    // The window system clamps the thumb; the stored position follows it.
    of->Xscroll = std::clamp(of->Xscroll, 0, largestX);
    of->Yscroll = std::clamp(of->Yscroll, 0, largestY);
    QSignalBlocker bh(hbar), bv(vbar);
    hbar->setRange(0, largestX);
    hbar->setPageStep(of->Xclient + 1);
    hbar->setValue(of->Xscroll);
    vbar->setRange(0, largestY);
    vbar->setPageStep(of->Yclient + 1);
    vbar->setValue(of->Yscroll);
    hbar->setGeometry(0, of->Yclient, of->Xclient, ext);
    vbar->setGeometry(of->Xclient, 0, ext, of->Yclient);
    hbar->setVisible(needH);
    vbar->setVisible(needV);
    window->update();
}

namespace {
// The workspace colour right of and below a picture shown `shownW` x `shownH` pixels large, and
// the corner between two bars.
void PaintSurround(QPainter& p, QWidget* window, const OPENEDFILE* of, int shownW, int shownH, bool cornerBetweenBars) {
    const QColor work = WorkspaceColor();
    const int cw = of->Xclient, ch = of->Yclient, w = window->width(), h = window->height();
    const int px = shownW - of->Xscroll, py = shownH - of->Yscroll;
    if (px < w) p.fillRect(QRect(px, 0, w - px, h), work);
    if (py < h) p.fillRect(QRect(0, py, std::max(0, px), h - py), work);
    if (cornerBetweenBars) p.fillRect(QRect(cw, ch, w - cw, h - ch), window->palette().color(QPalette::Window));
}
}  // namespace

void PaintPicture(QPainter& p, QWidget* window, const OPENEDFILE* of, const QImage& picture, bool cornerBetweenBars,
                  QPoint origin) {
    if (!of || picture.isNull()) {
        p.fillRect(window->rect(), WorkspaceColor());
        return;
    }
    p.drawImage(QPoint(0, 0), picture, QRect(of->Xscroll - origin.x(), of->Yscroll - origin.y(), of->Xclient, of->Yclient));
    PaintSurround(p, window, of, of->Xsize, of->Ysize, cornerBetweenBars);
}

void PaintZoomedPicture(QPainter& p, QWidget* window, const OPENEDFILE* of, const QImage& picture, const QImage& reduced,
                        double zoom, bool smooth, bool cornerBetweenBars) {
    if (!of || picture.isNull() || zoom == 1.0) return PaintPicture(p, window, of, picture, cornerBetweenBars);
    const int cw = of->Xclient, ch = of->Yclient;
    p.save();
    p.setClipRect(0, 0, cw, ch);
    if (!reduced.isNull()) {
        p.drawImage(QPoint(0, 0), reduced, QRect(of->Xscroll, of->Yscroll, cw, ch));
    } else {
        // Only the picture pixels under the client area, one more on each side for smoothing.
        const int x0 = std::max(0, int(of->Xscroll / zoom) - 1), y0 = std::max(0, int(of->Yscroll / zoom) - 1);
        const int x1 = std::min(picture.width(), int((of->Xscroll + cw) / zoom) + 2);
        const int y1 = std::min(picture.height(), int((of->Yscroll + ch) / zoom) + 2);
        p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        p.translate(-of->Xscroll, -of->Yscroll);
        p.scale(zoom, zoom);
        p.drawImage(QPoint(x0, y0), picture, QRect(x0, y0, x1 - x0, y1 - y0));
    }
    p.restore();
    PaintSurround(p, window, of, ZoomedExtent(of->Xsize, zoom), ZoomedExtent(of->Ysize, zoom), cornerBetweenBars);
}
