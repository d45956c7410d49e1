#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {
MessageRecorder* recorder = nullptr;
}

MessageRecorder::MessageRecorder() { recorder = this; }
MessageRecorder::~MessageRecorder() {
    if (recorder == this) recorder = nullptr;
}
std::vector<std::string> MessageRecorder::texts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes) out.push_back(b.text);
    return out;
}

int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags) {
    if (recorder) {
        recorder->boxes.push_back({caption, text, flags});
        if (recorder->answers.empty()) return (flags & 0x0F) == MB_SAVEDISCARDCANCEL ? IDNO : IDOK;
        int a = recorder->answers.front();
        recorder->answers.pop_front();
        return a;
    }
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (flags & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (flags & 0x0F) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MB_SAVEDISCARDCANCEL:
        // The same words on every desktop (some themes call Discard "Close without Saving").
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.button(QMessageBox::Save)->setText("&Save");
        box.button(QMessageBox::Discard)->setText("&Discard");
        box.button(QMessageBox::Cancel)->setText("Cancel");
        box.setDefaultButton(QMessageBox::Save);
        break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes:
    case QMessageBox::Save: return IDYES;
    case QMessageBox::No:
    case QMessageBox::Discard: return IDNO;
    default: return IDCANCEL;
    }
}

void MessageBeep(unsigned type) {
    if (recorder) {
        recorder->beeps.push_back(type);
        return;
    }
    QApplication::beep();
}

}  // namespace platform
