#include "platform/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

WholeFile Fault(FileFault fault, int error) {
    WholeFile f;
    f.fault = fault;
    f.error = error;
    return f;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// One read that survives signals; -1 with errno set on failure.
ssize_t ReadSome(int fd, uint8_t* to, size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd, to, n);
        if (got >= 0 || errno != EINTR) return got;
    }
}

}  // namespace

WholeFile ReadWholeFile(const std::string& path, size_t slack, size_t limit) {
    // Without O_NONBLOCK opening a FIFO would wait for a writer.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return Fault(FileFault::Open, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return Fault(FileFault::Open, errno);
    if (!S_ISREG(st.st_mode)) return Fault(FileFault::Open, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    const uint64_t size = uint64_t(st.st_size);
    if (size > limit || size > SIZE_MAX - slack) return Fault(FileFault::Size, EFBIG);

    WholeFile f;
    f.bytes.reset(new (std::nothrow) uint8_t[size_t(size) + slack]);
    if (!f.bytes) return Fault(FileFault::Size, ENOMEM);
    f.size = size_t(size);
    for (size_t done = 0; done < f.size;) {
        const ssize_t got = ReadSome(fd.get(), f.bytes.get() + done, f.size - done);
        if (got < 0) return Fault(FileFault::Read, errno);
        if (got == 0) return Fault(FileFault::Read, EIO);  // shrank while read
        done += size_t(got);
    }
    uint8_t more;
    const ssize_t extra = ReadSome(fd.get(), &more, 1);
    if (extra != 0) return Fault(FileFault::Read, extra < 0 ? errno : EIO);  // grew while read
    return f;
}

UserMessage LoadFileMessage(const WholeFile& file, const std::string& path) {
    switch (file.fault) {
    case FileFault::Open: {
        char text[250];
        std::snprintf(text, sizeof text, "Couldn't open file:%s", path.c_str());
        return {"LoadFile Error", text};
    }
    case FileFault::Size: return {"Error", "Couldn't allocate memory"};
    case FileFault::Read: return {"Error", "Error reading file"};
    case FileFault::None: break;
    }
    return {};
}
