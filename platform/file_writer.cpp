#include "platform/file_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The file a chain of symbolic links ends at: the path itself when it is no link. Empty with
// errno ELOOP for a chain that never ends.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        const fs::path p(path);
        if (!fs::is_symlink(fs::symlink_status(p, ec))) return path;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec) return path;
        path = (to.is_absolute() ? to : p.parent_path() / to).string();
    }
    errno = ELOOP;
    return {};
}

std::string Folder(const std::string& path) {
    const fs::path p(path);
    return p.has_parent_path() ? p.parent_path().string() : ".";
}

// Tries `make(name)` on ".NAME.XXXXXX" names beside `target` until one is free: 0 with the
// name in `name`, or the system's code.
template <class Make>
int WithFreshName(const std::string& target, std::string& name, Make make) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Built by appending: GCC 12 warns wrongly about "." + string at -O3.
    std::string stem(1, '.');
    stem.append(fs::path(target).filename().string()).append(".");
    stem = (fs::path(Folder(target)) / stem).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint8_t r[6] = {};
        if (::getrandom(r, sizeof r, 0) != sizeof r) std::memcpy(r, &attempt, sizeof attempt);
        name = stem;
        for (uint8_t b : r) name += kLetters[b % (sizeof kLetters - 1)];
        if (make(name.c_str()) == 0) return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Names the open file `fd` `name`: through /proc, or the descriptor itself where /proc is
// missing. 0 or the system's code.
int LinkDescriptor(int fd, const std::string& name) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    return errno;
}

// The old file's owner, group and permissions for the new one; its set-id bits only with
// the owner and group they were set for. 0 or the system's code.
int TakeOwnerAndMode(int fd, const struct stat& old) {
    mode_t mode = old.st_mode & 07777;
    struct stat now {};
    if (::fstat(fd, &now) != 0) return errno;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        mode &= ~mode_t(S_ISUID);
        if (now.st_gid != old.st_gid && ::fchown(fd, uid_t(-1), old.st_gid) != 0) mode &= ~mode_t(S_ISGID);
    }
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

// Gives the finished temporary file `temp` the name `path` in one step: 0, or the system's
// code with `temp` removed. An existing file is swapped out rather than renamed over, which
// on ext4 would also write the new file's data to disk at once, a wait longer than making it.
int ReplaceWithTemporary(const std::string& temp, const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
        // `temp` now names the old file, unless something else took its place meanwhile.
        if (::lstat(temp.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::unlink(temp.c_str());
            return 0;
        }
        ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE);
    }
    if (::rename(temp.c_str(), path.c_str()) == 0) return 0;
    const int code = errno;
    ::unlink(temp.c_str());
    return code;
}

}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path, const std::string& temp, bool inPlace) {
    discard();
    direct_ = unnamed_ = linked_ = false;
    temp_.clear();
    wanted_ = temp;
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return errno = EISDIR, false;
    if (exists && !S_ISREG(old.st_mode) && inPlace) {
        direct_ = true;
        fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return fd_ >= 0;
    }
    // Links are followed to a file or to nothing; anything else is replaced where it is.
    const bool replacing = exists && S_ISREG(old.st_mode);
    target_ = exists && !replacing ? path : FollowLinks(path);
    if (target_.empty()) return false;
    // A new file gets the usual mode (the umask applied); one that replaces a file starts
    // private and takes that file's mode and owner.
    const mode_t mode = replacing ? 0600 : 0666;
    fd_ = ::open(Folder(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    unnamed_ = fd_ >= 0;
    if (!unnamed_ && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    if (!unnamed_ && wanted_.empty()) {
        const int code = WithFreshName(target_, temp_, [&](const char* name) {
            fd_ = ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            return fd_ >= 0 ? 0 : -1;
        });
        if (code) return errno = code, false;
    } else if (!unnamed_) {
        temp_ = wanted_;
        ::unlink(temp_.c_str());  // this process's own name: what it holds is a leftover
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ < 0) return false;
    }
    if (const int code = replacing ? TakeOwnerAndMode(fd_, old) : 0) {
        discard();
        return errno = code, false;
    }
    return true;
}

// The unnamed file under the target's name when no file has it, else under a temporary one.
int OutputFile::name() {
    if (LinkDescriptor(fd_, target_) == 0) return linked_ = true, 0;
    if (errno != EEXIST) return errno;
    if (wanted_.empty()) return WithFreshName(target_, temp_, [&](const char* n) { return LinkDescriptor(fd_, n) ? -1 : 0; });
    temp_ = wanted_;
    ::unlink(temp_.c_str());
    return LinkDescriptor(fd_, temp_);
}

int OutputFile::commit(bool sync) {
    if (fd_ < 0) return EBADF;
    int code = sync && !direct_ && ::fsync(fd_) != 0 ? errno : 0;
    if (!code && unnamed_) code = name();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && !code) code = errno;
    if (direct_) return code;
    if (linked_) {
        if (code) ::unlink(target_.c_str());  // the name it took from no other file
        return code;
    }
    if (code) {
        if (!temp_.empty()) ::unlink(temp_.c_str());
        return code;
    }
    return ReplaceWithTemporary(temp_, target_);
}

void OutputFile::discard() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    if (!direct_ && !unnamed_) ::unlink(temp_.c_str());
}

int WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        data += n, size -= size_t(n);
    }
    return 0;
}

std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size, const std::string& temp) {
    OutputFile file;
    if (!file.open(path, temp)) return std::strerror(errno);
    int code = WriteAll(file.fd(), data, size);
    if (!code) code = file.commit(true);
    return code ? std::strerror(code) : std::string();
}
