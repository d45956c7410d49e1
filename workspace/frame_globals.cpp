#include "workspace/frame_globals.h"

#include <QMdiArea>
#include <QMdiSubWindow>

QMainWindow* hwndFrame = nullptr;

namespace {
FrameInterface* registeredFrame = nullptr;
}

void SetFrame(FrameInterface* frame) { registeredFrame = frame; }
FrameInterface* TheFrame() { return registeredFrame; }
QMenu* FrameStereoMenu() { return registeredFrame ? registeredFrame->stereoMenu() : nullptr; }
QMdiArea* hwndClient = nullptr;
SETTINGS Settings;
uint32_t crColor = 0;
const char* const szMBTitle = "Orvalis";
MarkedWindow hwndBackground;
MarkedWindow hwndForeground;

QWidget* ActiveChild() {
    if (!hwndClient) return nullptr;
    QMdiSubWindow* sub = hwndClient->activeSubWindow();
    return sub ? sub->widget() : nullptr;
}
