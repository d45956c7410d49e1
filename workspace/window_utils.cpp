#include "workspace/window_utils.h"

#include "workspace/mdi_child.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMdiArea>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QWidget>
#include <algorithm>
#include <thread>

namespace {

QRect ScreenRect(bool workArea) {
    QScreen* scr = QGuiApplication::primaryScreen();
    if (!scr) return QRect(0, 0, 1024, 768);
    return workArea ? scr->availableGeometry() : scr->geometry();
}

}  // namespace

DialogUnits::DialogUnits(const QFont& f) {
    const QFontMetrics fm(f);
    const int letterWidth = (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    x = letterWidth / 4.0;
    y = fm.height() / 8.0;
}

void SpU_validate_winpos(RECT32& pos) {
    QRect s = ScreenRect(false);
    SpU_validate_winpos(pos, s.width(), s.height());
}

void CenterWindow(QWidget* w) {
    const QRect work = ScreenRect(true);
    const QRect r = w->frameGeometry();
    w->move(work.x() + ((work.width() - r.width()) >> 1), work.y() + ((work.height() - r.height()) >> 1));
}

void PositionWindow(QWidget* w, const WINDOWPOSITION& wp) {
    RECT32 r = wp.NormalWindowPosition;
    if (r.right == 0 || r.bottom == 0) {
        CenterWindow(w);
        return;
    }
    SpU_validate_winpos(r);
    w->move(r.left, r.top);
}

void SpU_SaveWindowPosition(QWidget* w, WINDOWPOSITION& pos) {
    const QRect frame = w->frameGeometry();
    const QRect normal = (w->isMaximized() || w->isMinimized() || w->isFullScreen()) ? w->normalGeometry() : w->geometry();
    const int dx = frame.x() - w->geometry().x(), dy = frame.y() - w->geometry().y();
    pos.NormalWindowPosition.left = normal.x() + dx;
    pos.NormalWindowPosition.top = normal.y() + dy;
    pos.NormalWindowPosition.right = pos.NormalWindowPosition.left + normal.width();
    pos.NormalWindowPosition.bottom = pos.NormalWindowPosition.top + normal.height();
    pos.MaximizedWindow = w->isMaximized() ? 1 : 0;
    if (w->isMinimized() && (w->windowState() & Qt::WindowMaximized)) pos.MaximizedWindow = 1;
}

namespace {

QMdiSubWindow* SubWindowOf(QWidget* w) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) return sub;
    auto* child = qobject_cast<MdiChild*>(w);
    return child ? child->subWindow() : nullptr;
}

// The MDI area's visible part, in the coordinates its sub-windows are placed in.
QRect VisibleArea(const QMdiSubWindow* sub) {
    auto* area = sub ? sub->mdiArea() : nullptr;
    return area ? area->viewport()->rect() : QRect();
}

// One title bar and its frame: what a cascaded window shows of the one beneath it.
int CascadeSpacing(QMdiSubWindow* sub) {
    QStyleOptionTitleBar opt;
    opt.initFrom(sub);
    opt.titleBarFlags = sub->windowFlags();
    const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, sub);
    const int frame = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
    return std::max(8, title + frame);
}

}  // namespace

bool SetClientRect(QWidget* hwnd, int xs, int ys, QWidget* Frame) {
    if (!hwnd) return false;
    QWidget* window = hwnd;
    QWidget* client = hwnd;
    QMdiSubWindow* sub = SubWindowOf(hwnd);
    if (sub) {
        if (sub->isMaximized() || sub->isMinimized()) return true;
        window = sub;
        client = sub->widget() ? sub->widget() : hwnd;
    }
    int w = xs + (window->width() - client->width());
    int h = ys + (window->height() - client->height());
    if (Frame) {
        QRect room;
        if (const QRect area = VisibleArea(sub); area.isValid())
            room = QRect(window->pos(), area.bottomRight());
        else if (auto* mw = qobject_cast<QMainWindow*>(Frame); mw && mw->centralWidget())
            room = mw->centralWidget()->rect();
        else
            room = Frame->rect();
        w = std::min(w, room.width());
        h = std::min(h, room.height());
    }
    window->resize(w, h);
    return true;
}

QRect CascadeSlot(const QSize& area, int spacing, int k) {
    spacing = std::max(1, spacing);
    // As many steps as fit in a third of the height; the size leaves room for all of them.
    const int steps = std::max(0, area.height() / (3 * spacing));
    const int at = spacing * (std::max(0, k) % (steps + 1));
    return QRect(at, at, std::max(1, area.width() - steps * spacing), std::max(1, area.height() - steps * spacing));
}

void PlaceNewSubWindow(QMdiArea* area, QMdiSubWindow* sub) {
    if (!area || !sub) return;
    const QList<QMdiSubWindow*> others = area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* o : others)
        if (o != sub && o == area->activeSubWindow() && o->isMaximized()) {
            sub->showMaximized();
            return;
        }
    const QSize room = area->viewport()->size();
    const int spacing = CascadeSpacing(sub);
    int k = 0;
    auto taken = [&](const QRect& slot) {
        return std::any_of(others.begin(), others.end(), [&](QMdiSubWindow* o) {
            return o != sub && o->isVisible() && !o->isMinimized() && o->pos() == slot.topLeft();
        });
    };
    const int slotCount = room.height() / (3 * std::max(1, spacing)) + 1;
    while (k < slotCount && taken(CascadeSlot(room, spacing, k))) ++k;
    if (k == slotCount) k = int(others.size()) - 1;  // every slot is taken: go round again
    sub->setGeometry(CascadeSlot(room, spacing, k));
}

void CascadeWindows(QMdiArea* area) {
    if (!area) return;
    // The active window goes last, in front, so every title bar stays in sight.
    QList<QMdiSubWindow*> order = area->subWindowList(QMdiArea::CreationOrder);
    if (QMdiSubWindow* active = area->activeSubWindow(); active && order.removeOne(active)) order.append(active);
    int k = 0;
    for (QMdiSubWindow* sub : order) {
        if (!sub->isVisible() || sub->isMinimized()) continue;
        if (sub->isMaximized()) sub->showNormal();
        sub->setGeometry(CascadeSlot(area->viewport()->size(), CascadeSpacing(sub), k++));
        sub->raise();
    }
}

void GeneralDlgProc(QDialog* dlg) {
    for (QAbstractButton* b : dlg->findChildren<QAbstractButton*>()) {
        bool isId = false;
        const int id = b->objectName().toInt(&isId);
        if (isId) QObject::connect(b, &QAbstractButton::clicked, dlg, [dlg, id] { dlg->done(id); });
    }
}

int ExecDialog(QDialog* dlg, bool hasProc) {
    if (!hasProc) GeneralDlgProc(dlg);
    return dlg->exec();
}

void RunBesideTheWindows(const std::function<void()>& work) {
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}
