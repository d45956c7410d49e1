#include "images/file_bytes.h"

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

FileBytes ReadFileBytes(const std::string& path, std::vector<uint8_t>& out) {
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) return FileBytes::OpenFailed;
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return FileBytes::OpenFailed;
    try {
        // A regular file is read into a buffer of its size; anything else grows as it comes.
        out.resize(S_ISREG(st.st_mode) && st.st_size > 0 ? size_t(st.st_size) : size_t(1) << 16);
        size_t have = 0;
        for (;;) {
            uint8_t probe[1];
            // At the buffer's end one byte more tells whether the file goes on.
            const bool full = have == out.size();
            const ssize_t n = full ? ::read(f.fd, probe, 1) : ::read(f.fd, out.data() + have, out.size() - have);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return FileBytes::ReadFailed;
            if (n == 0) break;
            if (full) out.resize(out.size() * 2), out[have] = probe[0];
            have += size_t(n);
        }
        out.resize(have);
    } catch (const std::bad_alloc&) {
        out.clear();
        return FileBytes::NoMemory;
    }
    return FileBytes::Ok;
}
