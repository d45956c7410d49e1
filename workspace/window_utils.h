#pragma once
// Window placement and dialog helpers.
#include "workspace/settings.h"

#include <QRect>

#include <functional>

class QFont;
class QWidget;
class QDialog;
class QMdiArea;
class QMdiSubWindow;
class QRect;
class QSize;

// Dialog template units as Windows maps them: a quarter of the font's average letter width
// across, an eighth of its height down, rounded to the nearest pixel.
struct DialogUnits {
    double x, y;  // pixels per unit
    explicit DialogUnits(const QFont& f);
    QRect operator()(int l, int t, int w, int h) const {
        return QRect(int(l * x + 0.5), int(t * y + 0.5), int(w * x + 0.5), int(h * y + 0.5));
    }
};

void SpU_validate_winpos(RECT32& pos);  // onto the primary screen
void PositionWindow(QWidget* w, const WINDOWPOSITION& wp);
void SpU_SaveWindowPosition(QWidget* w, WINDOWPOSITION& pos);
// Onto the middle of the primary screen's work area, size kept.
void CenterWindow(QWidget* w);
// Resizes so that the client area is xs by ys, at most the client area of `Frame` when given.
// For a document window the client area is the widget inside its MDI sub-window, and with a
// `Frame` its whole sub-window stays inside the visible MDI area from where it stands; a
// maximised one keeps its state.
bool SetClientRect(QWidget* hwnd, int xs, int ys, QWidget* Frame);

// Slot k of the cascade in a visible MDI area of `area` with steps of `spacing` (one title
// bar): its top-left corner and the size that every cascaded or new window takes, so that
// each slot's window lies wholly inside the area. The slots repeat from the top-left.
QRect CascadeSlot(const QSize& area, int spacing, int k);
// Places a sub-window that has just been added: maximised when the active one is, else at
// the first cascade slot that no other window's corner takes, at the slot's size.
void PlaceNewSubWindow(QMdiArea* area, QMdiSubWindow* sub);
// Window, Cascade: every restored window at its slot, all of one size.
void CascadeWindows(QMdiArea* area);
// Runs a modal dialog and returns its end value (QDialog::done(value)). Without a procedure
// of its own, the dialog gets GeneralDlgProc's behaviour.
int ExecDialog(QDialog* dlg, bool hasProc = true);
// Ends the dialog on any of its buttons, with the button's command id (its object name).
void GeneralDlgProc(QDialog* dlg);
// Runs `work` on a thread of its own while this thread's events go on being handled (progress
// shown, Cancel clicked, the windows painted); returns when it is done.
void RunBesideTheWindows(const std::function<void()>& work);
