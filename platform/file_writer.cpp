#include "platform/file_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

int CreateTemporaryBeside(const std::string& path, std::string& temp) {
    const std::filesystem::path target(path);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    // Built by appending: GCC 12 warns wrongly about "." + string at -O3.
    std::string name(1, '.');
    name.append(target.filename().string()).append(".XXXXXX");
    temp = (dir / name).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return -1;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) {
        const int code = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        errno = code;
        return -1;
    }
    return fd;
}

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

std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    std::string tmp;
    const int fd = CreateTemporaryBeside(path, tmp);
    if (fd < 0) return std::strerror(errno);
    int code = 0;
    for (size_t done = 0; !code && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno != EINTR) code = errno;
        if (n > 0) done += size_t(n);
    }
    if (!code && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && !code) code = errno;
    if (code)
        ::unlink(tmp.c_str());
    else
        code = ReplaceWithTemporary(tmp, path);
    return code ? std::strerror(code) : std::string();
}
