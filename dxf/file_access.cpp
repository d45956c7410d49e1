#include "dxf/file_access.h"

#include "dxf/dxf_report.h"

#include <cstring>
#include <string>

FileAccess::FileAccess(const char* FileName) : File(ReadWholeFile(FileName)) {
    if (File) {
        FileOpenOK = 1;
        Bytes = File.data();
        ByteCount = File.size;
        return;
    }
    const std::string lead = File.fault == FileFault::Read ? std::string("File error") : std::string(FileName);
    DxfReport((lead + ": " + std::strerror(File.error) + "\n").c_str());
}

FileAccess::FileAccess(const unsigned char* data, size_t size)
    : FileOpenOK(1), Bytes(data), ByteCount(data ? size : 0) {}

void FileAccess::file_error(const char*) {}

int FileAccess::get_line(char* LineBuf, int BufSize) {
    if (BufSize <= 0) return 0;
    LineBuf[0] = '\0';
    if (!FileOpenOK || BufSize == 1) return 0;
    if (BytePos >= ByteCount) {
        file_error("Unexpected end of file");
        return 0;
    }
    size_t n = 0;
    while (n < size_t(BufSize - 1) && BytePos < ByteCount) {
        char c = char(Bytes[BytePos++]);
        LineBuf[n++] = c;
        if (c == '\n') break;
    }
    LineBuf[n] = '\0';
    if (FirstLine) {
        FirstLine = false;
        Binary = std::strncmp(LineBuf, "AutoCAD Binary DXF", 18) == 0;
    }
    size_t len = std::strlen(LineBuf);
    if (len && LineBuf[len - 1] == '\n') LineBuf[len - 1] = '\0';
    return 1;
}
