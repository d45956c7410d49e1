#pragma once
// The one way a whole file of outside data is read: regular files only, opened without
// blocking, exactly as many bytes as the file had when it was opened.
#include "platform/user_message.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

enum class FileFault { None, Open, Size, Read };

struct WholeFile {
    FileFault fault = FileFault::None;
    int error = 0;                      // the system's code for the fault
    std::unique_ptr<uint8_t[]> bytes;   // size bytes and the slack asked for (not initialised)
    size_t size = 0;

    explicit operator bool() const { return fault == FileFault::None; }
    const uint8_t* data() const { return bytes.get(); }
};

// Open: the file does not open or is no regular file (a directory, FIFO or device).
// Size: it is larger than `limit` or its block cannot be allocated.
// Read: a read fails, or the file ends before or goes on after the size it had when opened.
WholeFile ReadWholeFile(const std::string& path, size_t slack = 0, size_t limit = SIZE_MAX);
// The first `limit` bytes of a regular file (the whole file when it is no longer), for
// readers that need only a file's head; its whole size in `fileSize`. Faults as above.
WholeFile ReadFileStart(const std::string& path, size_t limit, uint64_t& fileSize);

// A regular file opened as ReadWholeFile opens it and kept open, for readers that take it a
// part at a time.
class FileParts {
public:
    FileParts() = default;
    ~FileParts();
    FileParts(const FileParts&) = delete;
    FileParts& operator=(const FileParts&) = delete;

    // An Open fault for a file that does not open or is no regular file.
    WholeFile open(const std::string& path);
    uint64_t size() const { return size_; }  // as it was when opened
    // `n` bytes from `at` on: a Read fault when a read fails or the file no longer holds them.
    WholeFile read(uint8_t* to, size_t n, uint64_t at) const;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

// LoadFile's message for a fault: "Couldn't open file:%s" (cut to 249 characters) captioned
// "LoadFile Error", "Couldn't allocate memory" or "Error reading file" captioned "Error".
UserMessage LoadFileMessage(const WholeFile& file, const std::string& path);
