#include "workspace/frame_interface.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
FrameInterface* registeredFrame = nullptr;
}

void SetFrame(FrameInterface* frame) { registeredFrame = frame; }
FrameInterface* TheFrame() { return registeredFrame; }

QWidget* FrameWindow() { return registeredFrame ? registeredFrame->dialogParent() : nullptr; }
QMdiArea* FrameMdiArea() { return registeredFrame ? registeredFrame->mdiArea() : nullptr; }
QMenu* FrameStereoMenu() { return registeredFrame ? registeredFrame->stereoMenu() : nullptr; }
void UpdateFrameMenus() {
    if (registeredFrame) registeredFrame->updateMenus();
}

QWidget* ActiveChild() {
    QMdiArea* area = FrameMdiArea();
    QMdiSubWindow* sub = area ? area->activeSubWindow() : nullptr;
    return sub ? sub->widget() : nullptr;
}
