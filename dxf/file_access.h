#pragma once
// Line reader over a DXF text: a named file (read whole), or bytes already in memory.
#include "platform/whole_file.h"

#include <cstddef>

class FileAccess {
public:
    // Reads the file; on failure writes the runtime's report for the name (or "File error:"
    // for a failed read) and reads nothing.
    explicit FileAccess(const char* FileName);
    // Reads from a byte block owned by the caller, which must outlive this object.
    FileAccess(const unsigned char* data, size_t size);
    FileAccess(const FileAccess&) = delete;
    FileAccess& operator=(const FileAccess&) = delete;

    unsigned char FileOK() const { return FileOpenOK; }
    FileFault fault() const { return File.fault; }
    int error() const { return File.error; }  // the system's code for the fault
    // fgets semantics: at most BufSize - 1 characters, a longer line comes in pieces.
    // Removes one trailing line feed. 0 at end of input.
    int get_line(char* LineBuf, int BufSize);
    void file_error(const char* msg);
    // The input began with the sentinel line of a binary drawing, which a line reader
    // cannot take apart.
    bool IsBinary() const { return Binary; }

private:
    WholeFile File;  // the named file's bytes
    unsigned char FileOpenOK = 0;
    const unsigned char* Bytes = nullptr;
    size_t ByteCount = 0;
    size_t BytePos = 0;
    bool FirstLine = true;
    bool Binary = false;
};
