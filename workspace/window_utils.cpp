#include "workspace/window_utils.h"

#include "workspace/mdi_child.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

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

void SpU_CenterWindow(QWidget* w) {
    const QRect work = ScreenRect(true);
    const QRect r = w->frameGeometry();
    w->move(work.x() + ((work.width() - r.width()) >> 1), work.y() + ((work.height() - r.height()) >> 1));
}

void CenterWindow(QWidget* w) { SpU_CenterWindow(w); }

void PositionWindow(QWidget* w, const WINDOWPOSITION& wp) {
    RECT32 r = wp.NormalWindowPosition;
    if (r.right == 0 || r.bottom == 0) {
        SpU_CenterWindow(w);
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

bool SetClientRect(QWidget* hwnd, int xs, int ys, QWidget* Frame) {
    if (!hwnd) return false;
    QWidget* window = hwnd;
    QWidget* client = hwnd;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(hwnd)) client = sub->widget() ? sub->widget() : hwnd;
    else if (auto* child = qobject_cast<MdiChild*>(hwnd); child && child->subWindow()) window = child->subWindow();
    int w = xs + (window->width() - client->width());
    int h = ys + (window->height() - client->height());
    if (Frame) {
        QWidget* area = Frame;
        if (auto* mw = qobject_cast<QMainWindow*>(Frame); mw && mw->centralWidget()) area = mw->centralWidget();
        if (w > area->width()) w = area->width();
        if (h > area->height()) h = area->height();
    }
    window->resize(w, h);
    return true;
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
