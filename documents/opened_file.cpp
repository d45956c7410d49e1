#include "documents/opened_file.h"

#include "platform/message_box.h"
#include "platform/whole_file.h"

#include <QApplication>
#include <new>

namespace {
OPENEDFILE* FirstFile = nullptr;
}

OPENEDFILE* FirstFileStruct() { return FirstFile; }

OPENEDFILE* AddFileStruct(QWidget* hwnd, const std::string& name) {
    auto* of = new (std::nothrow) OPENEDFILE;
    if (!of) return nullptr;
    of->Filename = name;
    of->hwnd = hwnd;
    if (OPENEDFILE* last = GetLastFileStruct()) {
        last->NextFile = of;
        of->PrevFile = last;
    } else {
        FirstFile = of;
    }
    return of;
}

OPENEDFILE* GetFileStruct(const QWidget* hwnd) {
    for (OPENEDFILE* of = FirstFile; of; of = of->NextFile)
        if (of->hwnd.data() == hwnd) return of;
    return nullptr;
}

OPENEDFILE* GetLastFileStruct() {
    OPENEDFILE* of = FirstFile;
    while (of && of->NextFile) of = of->NextFile;
    return of;
}

int DelFileStruct(const QWidget* hwnd) {
    OPENEDFILE* of = GetFileStruct(hwnd);
    if (!of) return 0;
    if (of->PrevFile) of->PrevFile->NextFile = of->NextFile;
    else FirstFile = of->NextFile;
    if (of->NextFile) of->NextFile->PrevFile = of->PrevFile;
    delete of;
    return 1;
}

unsigned char* LoadFile(const std::string& filename, uint32_t* filesize) {
    WholeFile file = ReadWholeFile(filename, 32, 0xFFFFFFE0);  // a 32-bit size plus the slack must fit
    if (!file) {
        const UserMessage m = LoadFileMessage(file, filename);
        platform::MessageBox(QApplication::activeWindow(), m.text, m.caption, platform::MB_OK);
        return nullptr;
    }
    *filesize = uint32_t(file.size);
    file.bytes[file.size] = 0;
    return file.bytes.release();
}
