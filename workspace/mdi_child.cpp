#include "workspace/mdi_child.h"

#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

MdiChild::MdiChild(OPENEDFILE* of, QWidget* parent) : QWidget(parent) {
    if (of) of->hwnd = this;
    setAttribute(Qt::WA_DeleteOnClose, false);  // the sub-window owns and deletes us
}

QMdiSubWindow* MdiChild::subWindow() const {
    for (QWidget* p = parentWidget(); p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p)) return sub;
    return nullptr;
}

void MdiChild::closeEvent(QCloseEvent* e) {
    if (queryClose()) e->accept();
    else e->ignore();
}

bool MdiChild::confirmDiscard() {
    OPENEDFILE* of = record();
    if (!of || !of->Changed) return true;
    if (QMdiSubWindow* sub = subWindow()) {
        if (QMdiArea* area = FrameMdiArea()) area->setActiveSubWindow(sub);
        sub->showNormal();
    }
    if (saveFilters().isEmpty()) {
        if (platform::MessageBox(this, "OK to close?", "Sure about this?", platform::MB_OKCANCEL | platform::MB_ICONQUESTION) !=
            platform::IDOK)
            return false;
    } else {
        const std::string text = "\"" + windowTitle().toStdString() + "\" holds unsaved work.\nSave it before closing?";
        const int answer =
            platform::MessageBox(this, text, "Sure about this?", platform::MB_SAVEDISCARDCANCEL | platform::MB_ICONQUESTION);
        // A Save that is cancelled or fails keeps the window, as Cancel does.
        if (answer != platform::IDNO && !(answer == platform::IDYES && FrameSaveAs(this))) return false;
    }
    of->Changed = 0;
    return true;
}

void MdiChild::setTitleNote(const QString& note) {
    titleNote_ = note;
    if (QMdiSubWindow* sub = subWindow()) sub->setWindowTitle(windowTitle() + note);
}

QMdiSubWindow* AddChildWindow(MdiChild* child) {
    QMdiArea* area = FrameMdiArea();
    if (!area) return nullptr;
    QMdiSubWindow* sub = area->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The frame's File > Close owns Ctrl+W and Ctrl+F4; the same keys live on the window's own
    // menu would make both ambiguous, so there they act only while that menu is open.
    if (QMenu* menu = sub->systemMenu())
        for (QAction* a : menu->actions()) a->setShortcutContext(Qt::WidgetShortcut);
    sub->setWindowTitle(child->windowTitle() + child->titleNote());
    QObject::connect(child, &QWidget::windowTitleChanged, sub,
                     [child, sub](const QString& title) { sub->setWindowTitle(title + child->titleNote()); });
    sub->show();
    if (child->testAttribute(Qt::WA_SetWindowIcon)) sub->setWindowIcon(child->windowIcon());
    PlaceNewSubWindow(area, sub);
    area->setActiveSubWindow(sub);
    return sub;
}
