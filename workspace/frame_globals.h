#pragma once
// Program-wide state of the frame, shared with the subsystems.
#include "workspace/settings.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>

class QMainWindow;
class QMdiArea;
class QMenu;

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

// What document windows ask of the frame above them. The frame registers itself when it is
// built and unregisters when it goes.
class FrameInterface {
public:
    virtual QMenu* stereoMenu() const = 0;  // the "&Stereo" popup
    // Menu items and check marks follow the active child.
    virtual void updateMenus() = 0;

protected:
    ~FrameInterface() = default;
};
void SetFrame(FrameInterface* frame);
// The registered frame, or null (no frame, as in the command-line tools' tests).
FrameInterface* TheFrame();
// The frame's "&Stereo" popup, or null.
QMenu* FrameStereoMenu();
