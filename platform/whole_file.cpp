#include "platform/whole_file.h"

#include <algorithm>
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

// Exactly `n` bytes: from `at` on, or from the file's position when `at` is negative. A Read
// fault when a read fails or the file ends first.
WholeFile ReadExactly(int fd, uint8_t* to, size_t n, off_t at = -1) {
    for (size_t done = 0; done < n;) {
        const ssize_t got = at < 0 ? ::read(fd, to + done, n - done) : ::pread(fd, to + done, n - done, at + off_t(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fault(FileFault::Read, errno);
        if (got == 0) return Fault(FileFault::Read, EIO);  // shrank while read
        done += size_t(got);
    }
    return {};
}

// Reads `want` bytes of an open regular file of `size` bytes; with `whole` the file must end
// exactly there.
WholeFile ReadOpenFile(int fd, size_t want, size_t slack, bool whole) {
    WholeFile f;
    f.bytes.reset(new (std::nothrow) uint8_t[want + slack]);
    if (!f.bytes) return Fault(FileFault::Size, ENOMEM);
    f.size = want;
    if (WholeFile fault = ReadExactly(fd, f.bytes.get(), want); !fault) return fault;
    if (whole) {
        uint8_t more;
        const ssize_t extra = ReadSome(fd, &more, 1);
        if (extra != 0) return Fault(FileFault::Read, extra < 0 ? errno : EIO);  // grew while read
    }
    return f;
}

// Opens a regular file without waiting on a FIFO; its size in `size`.
WholeFile OpenRegular(const std::string& path, int& fd, uint64_t& size) {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fault(FileFault::Open, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Fault(FileFault::Open, errno);
    if (!S_ISREG(st.st_mode)) return Fault(FileFault::Open, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    size = uint64_t(st.st_size);
    return {};
}

}  // namespace

WholeFile ReadWholeFile(const std::string& path, size_t slack, size_t limit) {
    int raw = -1;
    uint64_t size = 0;
    WholeFile opened = OpenRegular(path, raw, size);
    Descriptor fd(raw);
    if (!opened) return opened;
    if (size > limit || size > SIZE_MAX - slack) return Fault(FileFault::Size, EFBIG);
    return ReadOpenFile(fd.get(), size_t(size), slack, true);
}

WholeFile ReadFileStart(const std::string& path, size_t limit, uint64_t& fileSize) {
    int raw = -1;
    fileSize = 0;
    WholeFile opened = OpenRegular(path, raw, fileSize);
    Descriptor fd(raw);
    if (!opened) return opened;
    return ReadOpenFile(fd.get(), size_t(std::min<uint64_t>(fileSize, limit)), 0, fileSize <= limit);
}

FileParts::~FileParts() {
    if (fd_ >= 0) ::close(fd_);
}

WholeFile FileParts::open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    WholeFile opened = OpenRegular(path, fd_, size_);
    if (!opened && fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    return opened;
}

WholeFile FileParts::read(uint8_t* to, size_t n, uint64_t at) const { return ReadExactly(fd_, to, n, off_t(at)); }

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
