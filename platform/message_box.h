#pragma once
// Message boxes and beeps with the Win32 meanings the program relies on, plus a test hook
// that records every box and answers it from a script instead of showing it.
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace platform {

enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_SAVEDISCARDCANCEL = 0x3,  // Save, Discard and Cancel: IDYES, IDNO, IDCANCEL
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct RecordedBox {
    std::string caption;
    std::string text;
    unsigned flags = 0;
};

// Shows a modal box (or asks the hook) and returns IDOK, IDCANCEL, ...
int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags = MB_OK);
// type 0: default sound; MB_ICONQUESTION: the question sound.
void MessageBeep(unsigned type);

// While a recorder lives, boxes are not shown: each is recorded and answered with the next
// scripted answer (when the script is empty IDOK, or for Save/Discard/Cancel IDNO: go ahead). Beeps are recorded too.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<RecordedBox> boxes;
    std::vector<unsigned> beeps;
    std::deque<int> answers;

    std::vector<std::string> texts() const;
    void clear() { boxes.clear(); beeps.clear(); }
};

}  // namespace platform
