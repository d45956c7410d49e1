#include "workspace/scrolled_picture.h"

#include "workspace/frame_interface.h"

#include <QApplication>
#include <QMdiArea>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

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

void SetScroll(QWidget* window, OPENEDFILE* of, QScrollBar* hbar, QScrollBar* vbar) {
    if (!of) return;
    // A bar shows when its page does not cover the range; each bar takes room from the other.
    const int ext = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bool needH = false, needV = false;
    for (int pass = 0; pass < 3; ++pass) {
        const int cw = window->width() - (needV ? ext : 0), ch = window->height() - (needH ? ext : 0);
        needH = cw + 1 <= of->Xsize - 1;
        needV = ch + 1 <= of->Ysize - 1;
    }
    of->Xclient = std::max(0, window->width() - (needV ? ext : 0));
    of->Yclient = std::max(0, window->height() - (needH ? ext : 0));
    const int largestX = std::max(0, of->Xsize - 1 + 1 - (of->Xclient + 1));
    const int largestY = std::max(0, of->Ysize - 1 + 1 - (of->Yclient + 1));
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

void PaintPicture(QPainter& p, QWidget* window, const OPENEDFILE* of, const QImage& picture, bool cornerBetweenBars,
                  QPoint origin) {
    const QColor work = WorkspaceColor();
    if (!of || picture.isNull()) {
        p.fillRect(window->rect(), work);
        return;
    }
    const int cw = of->Xclient, ch = of->Yclient, w = window->width(), h = window->height();
    p.drawImage(QPoint(0, 0), picture, QRect(of->Xscroll - origin.x(), of->Yscroll - origin.y(), cw, ch));
    const int px = of->Xsize - of->Xscroll, py = of->Ysize - of->Yscroll;
    if (px < w) p.fillRect(QRect(px, 0, w - px, h), work);
    if (py < h) p.fillRect(QRect(0, py, std::max(0, px), h - py), work);
    if (cornerBetweenBars) p.fillRect(QRect(cw, ch, w - cw, h - ch), window->palette().color(QPalette::Window));
}
