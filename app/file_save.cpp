// File Save and Save As: the name (asked for, or the window's own), then the window writes
// its document; after a good save the window carries the new name and no unsaved work.
#include "app/file_save.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/mdi_child.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <filesystem>

namespace {

// ".png", ".jpg", ... of a filter "JPEG picture (*.jpg *.jpeg)".
QStringList Suffixes(const QString& filter) {
    QStringList out;
    for (const QRegularExpressionMatch& m : QRegularExpression(R"(\*(\.\w+))").globalMatch(filter)) out << m.captured(1);
    return out;
}

bool Writable(const QStringList& filters, const std::string& path) {
    const QString ext = QString::fromStdString(std::filesystem::path(path).extension().string()).toLower();
    for (const QString& f : filters)
        if (!ext.isEmpty() && Suffixes(f).contains(ext)) return true;
    return false;
}

// The dialog's choice, given the first suffix of the chosen filter when it names no type we write.
std::string AskSaveName(QWidget* owner, const QStringList& filters, const std::string& current) {
    QFileDialog dlg(owner, "Save As");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters(filters);
    std::filesystem::path start(current);
    if (!Writable(filters, current)) start.replace_extension(Suffixes(filters.first()).value(0).toStdString());
    dlg.selectFile(QString::fromStdString(start.string()));
    for (const QString& f : filters)
        if (Suffixes(f).contains(QString::fromStdString(start.extension().string()).toLower())) dlg.selectNameFilter(f);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    std::string path = dlg.selectedFiles().first().toStdString();
    if (!Writable(filters, path)) path += Suffixes(dlg.selectedNameFilter()).value(0).toStdString();
    return path;
}

}  // namespace

void SaveActiveDocument(QWidget* owner, bool askName) { SaveDocument(owner, qobject_cast<MdiChild*>(ActiveChild()), askName); }

bool SaveDocument(QWidget* owner, MdiChild* child, bool askName) {
    OPENEDFILE* of = child ? child->record() : nullptr;
    const QStringList filters = child ? child->saveFilters() : QStringList();
    if (!of || filters.isEmpty()) return false;
    std::string path = of->Filename;
    if (askName || !Writable(filters, path)) path = AskSaveName(owner, filters, path);
    if (path.empty()) return false;
    const std::string why = child->saveDocument(path);
    if (!why.empty()) {
        platform::MessageBox(FrameWindow(), "Can't save file: " + path + "\n" + why, szMBTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return false;
    }
    of->Changed = 0;
    of->Filename = path;
    child->setWindowTitle(QString::fromStdString(path));
    return true;
}
