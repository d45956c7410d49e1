#pragma once
// Line reader over a DXF text: a named file, or bytes already in memory.
#include <cstddef>
#include <cstdio>

class FileAccess {
public:
    // Opens the file for reading; on failure writes the runtime's report for the name.
    explicit FileAccess(const char* FileName);
    // Reads from a byte block owned by the caller, which must outlive this object.
    FileAccess(const unsigned char* data, size_t size);
    ~FileAccess();
    FileAccess(const FileAccess&) = delete;
    FileAccess& operator=(const FileAccess&) = delete;

    unsigned char FileOK() const { return FileOpenOK; }
    // The system's error number when the file did not open, else 0.
    int OpenError() const { return OpenErrno; }
    // fgets semantics: at most BufSize - 1 characters, a longer line comes in pieces.
    // Removes one trailing line feed. 0 at end of input or on a read error.
    int get_line(char* LineBuf, int BufSize);
    void file_error(const char* msg);
    // The input began with the sentinel line of a binary drawing, which a line reader
    // cannot take apart.
    bool IsBinary() const { return Binary; }

private:
    std::FILE* FilePtr = nullptr;
    unsigned char FileOpenOK = 0;
    int OpenErrno = 0;
    const unsigned char* Bytes = nullptr;  // in-memory input, when FilePtr is null
    size_t ByteCount = 0;
    size_t BytePos = 0;
    bool FirstLine = true;
    bool Binary = false;
};
