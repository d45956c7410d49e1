#include "workspace/frame_interface.h"

#include "documents/opened_file.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

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

bool FrameSaveAs(QWidget* child) { return registeredFrame && registeredFrame->saveAs(child); }

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

namespace {
constexpr std::pair<StereoRole, const char*> kRoleSuffixes[] = {{StereoRole::Background, " - Background"},
                                                               {StereoRole::Depth, " - Depth"}};

// The window's title with the role suffixes it holds now, whatever it carried before.
void ShowRoles(QWidget* w) {
    if (!w || !registeredFrame) return;
    QString title = w->windowTitle();
    for (bool cut = true; cut;) {
        cut = false;
        for (const auto& [role, suffix] : kRoleSuffixes)
            if (title.endsWith(suffix)) title.chop(int(std::strlen(suffix))), cut = true;
    }
    for (const auto& [role, suffix] : kRoleSuffixes)
        if (registeredFrame->stereoMarks().of(role).hwnd == w) title += suffix;
    if (title != w->windowTitle()) w->setWindowTitle(title);  // once: the change calls here again
}

std::string MarkName(const MarkedWindow& m) {
    const OPENEDFILE* of = m.hwnd ? GetFileStruct(m.hwnd.data()) : nullptr;
    return of ? QFileInfo(QString::fromStdString(of->Filename)).fileName().toStdString() : m.hwnd ? "a window" : "none";
}

void ShowMarkStatus() {
    const StereoMarks& m = registeredFrame->stereoMarks();
    FrameStatusf(kStatusMarks, "Back: %s", MarkName(m.background).c_str());
    FrameStatusf(kStatusMarks + 1, "Depth: %s", MarkName(m.depth).c_str());
}
}  // namespace

void MarkStereoWindow(StereoRole role, QWidget* w) {
    if (!registeredFrame) return;
    MarkedWindow& mark = registeredFrame->stereoMarks().of(role);
    QPointer<QWidget> old = mark.hwnd;
    mark.mark(w);
    if (w && !w->property("stereoMarkHooked").toBool()) {
        w->setProperty("stereoMarkHooked", true);
        // A title set later (Save As) keeps its suffixes; a closed window takes its marks along.
        QObject::connect(w, &QWidget::windowTitleChanged, w, [w] { ShowRoles(w); });
        QObject::connect(w, &QObject::destroyed, [w] {
            if (!registeredFrame) return;
            for (const auto& [role, suffix] : kRoleSuffixes) {
                MarkedWindow& m = registeredFrame->stereoMarks().of(role);
                if (m.hwnd.data() == w || (m.set && !m.hwnd)) m.mark(nullptr);
            }
            ShowMarkStatus();
            registeredFrame->updateMenus();
        });
    }
    ShowRoles(old);
    ShowRoles(w);
    ShowMarkStatus();
    registeredFrame->updateMenus();
}
