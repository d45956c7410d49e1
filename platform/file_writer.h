#pragma once
// Files written whole or not at all. The bytes go to a file without a name in the target's
// folder (O_TMPFILE), which takes the target's name only when complete: neither a failure nor
// a killed process leaves a partial or a stray file. Where the file system has no unnamed
// files, a named temporary file beside the target stands in. A replaced file's permissions
// and, where the system allows, its owner and group pass to the new file; a symbolic link to
// a file (or to nothing) is followed and the file it points to replaced.
#include <cstddef>
#include <cstdint>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // an uncommitted file is discarded
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the file that will become `path`. `temp` names the temporary file where one is
    // needed; empty: a fresh ".NAME.XXXXXX" beside the target. A device or a pipe at `path` is
    // written where it is with `inPlace`, else replaced like a file. False with errno set.
    bool open(const std::string& path, const std::string& temp = {}, bool inPlace = false);
    int fd() const { return fd_; }
    bool direct() const { return direct_; }  // a device or a pipe: written where it is, in order
    // Closes the file (after fsync with `sync`) and gives it the target's name: 0, or the
    // system's code, the file discarded and the target as it was.
    int commit(bool sync = false);
    void discard();

private:
    int name();

    std::string target_, temp_, wanted_;
    int fd_ = -1;
    bool direct_ = false, unnamed_ = false, linked_ = false;
};

// All `size` bytes at `data` written to `fd` from where it stands, a write cut short by a
// signal taken up again: 0, or the system's code (EIO when nothing more would go).
int WriteAll(int fd, const uint8_t* data, size_t size);

// `size` bytes at `data` as the whole file `path` (synced to disk first): "" on success, else
// the system's reason (strerror). `temp` as for OutputFile::open.
std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size,
                                const std::string& temp = {});
