#include "documents/opened_file.h"

#include "platform/message_box.h"

#include <QApplication>
#include <cstdio>
#include <fstream>
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
    QWidget* owner = QApplication::activeWindow();
    std::ifstream in(filename, std::ios::binary);
    if (!in) {
        char buf[250];
        std::snprintf(buf, sizeof buf, "Couldn't open file:%s", filename.c_str());
        platform::MessageBox(owner, buf, "LoadFile Error", platform::MB_OK);
        return nullptr;
    }
    in.seekg(0, std::ios::end);
    std::streamoff end = in.tellg();
    in.seekg(0, std::ios::beg);
    if (end < 0 || end > 0xFFFFFFE0LL) {  // a 32-bit size plus the slack must fit
        platform::MessageBox(owner, "Couldn't allocate memory", "Error", platform::MB_OK);
        return nullptr;
    }
    uint32_t size = uint32_t(end);
    *filesize = size;
    auto* block = new (std::nothrow) unsigned char[size_t(size) + 32];
    if (!block) {
        platform::MessageBox(owner, "Couldn't allocate memory", "Error", platform::MB_OK);
        return nullptr;
    }
    if (size && !in.read(reinterpret_cast<char*>(block), size)) {
        delete[] block;
        platform::MessageBox(owner, "Error reading file", "Error", platform::MB_OK);
        return nullptr;
    }
    block[size] = 0;
    return block;
}
