#include "platform/file_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    const std::filesystem::path target(path);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string tmp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return std::strerror(errno);
    // mkstemp makes the file private; the saved file gets the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int code = ::fchmod(fd, 0666 & ~mask) == 0 ? 0 : errno;
    for (size_t done = 0; !code && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno != EINTR) code = errno;
        if (n > 0) done += size_t(n);
    }
    if (!code && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && !code) code = errno;
    if (!code && ::rename(tmp.c_str(), path.c_str()) != 0) code = errno;
    if (code) ::unlink(tmp.c_str());
    return code ? std::strerror(code) : std::string();
}
