#include "workspace/frame_interface.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <cstdarg>
#include <cstdio>

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

void FrameStatusf(int popidx, const char* format, ...) {
    if (!registeredFrame) return;
    char buf[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    registeredFrame->setStatusText(popidx, buf);
}

QWidget* ActiveChild() {
    QMdiArea* area = FrameMdiArea();
    QMdiSubWindow* sub = area ? area->activeSubWindow() : nullptr;
    return sub ? sub->widget() : nullptr;
}
