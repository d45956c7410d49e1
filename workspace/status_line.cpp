#include "workspace/status_line.h"

#include <QMainWindow>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
int StatusHeight = 0;
}

int StatusLineHeight() { return StatusHeight; }

namespace {

// Draws its eight parts itself, so a part may reach past the frame's edge as it should.
class StatusLine : public QStatusBar {
public:
    explicit StatusLine(QWidget* parent) : QStatusBar(parent) {
        setSizeGripEnabled(false);
        setFixedHeight(fontMetrics().height() + 8);
    }
    std::array<int, 8> edges{};
    std::array<std::string, 8> texts;
    std::array<bool, 8> raised{};

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!currentMessage().isEmpty()) {
            const QRect r = rect().adjusted(0, 2, -2, -1);
            p.setPen(palette().color(QPalette::Mid));
            p.drawRect(r);
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(r.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, currentMessage());
            return;
        }
        int left = 0;
        for (int i = 0; i < 8; ++i) {
            QRect r(left, 2, edges[i] - left - 2, height() - 3);
            left = edges[i];
            if (r.width() <= 0) continue;
            p.setPen(palette().color(raised[i] ? QPalette::Light : QPalette::Mid));
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(palette().color(raised[i] ? QPalette::Mid : QPalette::Light));
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(r.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(texts[i]));
        }
    }
};

StatusLine* StatusWnd = nullptr;

}  // namespace

std::array<int, 8> StatusPartEdges(int x) {
    const int w = x / 5, h = w / 2;
    return {w + h, 2 * w + h, 2 * w + 2 * h, 2 * w + 3 * h, 2 * w + 4 * h, 2 * w + 4 * h, 3 * w + 4 * h, 3 * w + 5 * h};
}

QStatusBar* CreateStatusLine(QMainWindow* frame) {
    StatusWnd = new StatusLine(frame->centralWidget() ? frame->centralWidget() : frame);
    StatusWnd->setObjectName("100");
    return StatusWnd;
}

void SetStatusWidths(int, int y, int x) {
    if (!StatusWnd) return;
    StatusWnd->edges = StatusPartEdges(x);
    const int bh = StatusWnd->height();
    StatusWnd->setGeometry(0, y - bh, x, bh);
    StatusWnd->raise();
    StatusWnd->update();
    StatusHeight = bh - 1;
}

void SetStatusTextf(int popidx, const char* s, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, s);
    std::vsnprintf(buf, sizeof buf, s, ap);
    va_end(ap);
    const int part = popidx & 0xFF;
    if (!StatusWnd || part > 7) return;
    StatusWnd->texts[part] = buf;
    StatusWnd->raised[part] = (popidx & 0xFF00) != 0;
    StatusWnd->update();
}

void ShowStatusTip(const char* tip) {
    if (!StatusWnd) return;
    if (tip && *tip) StatusWnd->showMessage(QString::fromUtf8(tip));
    else StatusWnd->clearMessage();
    StatusWnd->update();
}

const char* StatusText(int part) { return StatusWnd && part >= 0 && part < 8 ? StatusWnd->texts[part].c_str() : ""; }
bool StatusRaised(int part) { return StatusWnd && part >= 0 && part < 8 && StatusWnd->raised[part]; }

QProgressBar* StatusProgressBar(int maximum, const char* text) {
    if (!StatusWnd) return nullptr;
    auto* bar = new QProgressBar(StatusWnd);
    bar->setObjectName("statusProgress");
    bar->setRange(0, maximum);
    bar->setFormat(QString::fromUtf8(text));
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    const int left = StatusWnd->edges[3];
    bar->setGeometry(left, 2, std::max(StatusWnd->width() - left - 2, 40), StatusWnd->height() - 4);
    bar->show();
    return bar;
}
