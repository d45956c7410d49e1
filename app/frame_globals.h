#pragma once
// Program-wide state of the frame, shared with the subsystems.
#include "app/settings.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>

class QMainWindow;
class QMdiArea;

extern QMainWindow* hwndFrame;   // the frame
extern QMdiArea* hwndClient;     // its MDI area
extern SETTINGS Settings;        // loaded at start, saved at exit
extern uint32_t crColor;         // last colour chosen with Edit, Color (0x00BBGGRR)
extern const char* const szMBTitle;  // "Orvalis"

// A window marked for a stereo role. `set` tells "marked, window since closed" apart from
// "never marked".
struct MarkedWindow {
    QPointer<QWidget> hwnd;
    bool set = false;
    void mark(QWidget* w) {
        hwnd = w;
        set = w != nullptr;
    }
};
extern MarkedWindow hwndBackground;
extern MarkedWindow hwndForeground;

// The active document window, or null.
QWidget* ActiveChild();
