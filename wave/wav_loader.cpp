#include "wave/wav_loader.h"

#include "wave/riff_reader.h"

#include <cstdio>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kPcmFormatBytes = 16;  // the fields up to wBitsPerSample

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }

WAVEFORMATEX ParseFormat(const uint8_t* p, size_t n) {
    WAVEFORMATEX f;
    f.wFormatTag = le16(p);
    f.nChannels = le16(p + 2);
    f.nSamplesPerSec = le32(p + 4);
    f.nAvgBytesPerSec = le32(p + 8);
    f.nBlockAlign = le16(p + 12);
    f.wBitsPerSample = le16(p + 14);
    f.cbSize = n >= 18 ? le16(p + 16) : 0;
    return f;
}

void ResetWaveState(WaveState& wd) {
    wd.pFormat.reset();
    wd.dwDataSize = 0;
    wd.lpWaveHdr.reset();
    wd.lpData.reset();
    wd.Display = 0;
    wd.ListLen = 0;
    wd.ListSize = 0;
    wd.List.reset();
    wd.Drag = 0;
    wd.DragPos = 0;
    wd.Playing = 0;
}

std::string Fail(WaveState& wd, const char* message) {
    wd.pFormat.reset();
    wd.lpData.reset();
    wd.lpWaveHdr.reset();
    wd.dwDataSize = 0;
    return message;
}

// A read-only view of a whole file.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return;
        struct stat st;
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            close_fd();
            return;
        }
        size_ = size_t(st.st_size);
        if (size_ == 0) return;
        void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (p == MAP_FAILED) {
            close_fd();
            return;
        }
        data_ = static_cast<const uint8_t*>(p);
    }
    ~MappedFile() {
        if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
        if (fd_ >= 0) ::close(fd_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool open() const { return fd_ >= 0; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return data_ ? size_ : 0; }

private:
    void close_fd() {
        ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace

std::string LoadWaveBytes(WaveState& wd, const uint8_t* data, size_t size, const FormatQuery& query) {
    ResetWaveState(wd);
    RiffReader rd(data, size);

    MMCKINFO riff;
    riff.fccType = FourCC('W', 'A', 'V', 'E');
    if (!rd.descend(riff, nullptr, RiffReader::Find::Riff)) return Fail(wd, "No wave file");

    MMCKINFO fmt;
    fmt.ckid = FourCC('f', 'm', 't', ' ');
    // A chunk too short for the PCM fields counts as no format at all.
    if (!rd.descend(fmt, &riff, RiffReader::Find::Chunk) || fmt.cksize < kPcmFormatBytes)
        return Fail(wd, "wave file corrupt");

    // A declared size beyond the data could never be read whole: refuse it before
    // allocating rather than after.
    if (fmt.cksize > size - rd.position()) return Fail(wd, "read error");
    auto* block = new (std::nothrow) uint8_t[fmt.cksize];
    if (!block) return Fail(wd, "no memory");
    std::unique_ptr<uint8_t[]> hFormat(block);
    if (rd.read(block, fmt.cksize) != fmt.cksize) return Fail(wd, "read error");
    wd.pFormat.reset(new (std::nothrow) WAVEFORMATEX(ParseFormat(block, fmt.cksize)));
    if (!wd.pFormat) return Fail(wd, "no memory");

    if (wd.pFormat->wFormatTag != WAVE_FORMAT_PCM) return Fail(wd, "no PCM file");
    if (!query || !query(*wd.pFormat)) return Fail(wd, "Can't play this format");

    rd.ascend(fmt);
    MMCKINFO dataCk;
    dataCk.ckid = FourCC('d', 'a', 't', 'a');
    if (!rd.descend(dataCk, &riff, RiffReader::Find::Chunk)) return Fail(wd, "No data chunk");
    wd.dwDataSize = dataCk.cksize;
    if (wd.dwDataSize == 0) return Fail(wd, "empty chunk");

    if (wd.dwDataSize > size - rd.position()) return Fail(wd, "Failed read chunk");
    wd.lpData.reset(new (std::nothrow) uint8_t[wd.dwDataSize]);
    if (!wd.lpData) return Fail(wd, "No memory");
    if (rd.read(wd.lpData.get(), wd.dwDataSize) != wd.dwDataSize) return Fail(wd, "Failed read chunk");

    wd.lpWaveHdr.reset(new (std::nothrow) WAVEHDR);
    if (!wd.lpWaveHdr) return Fail(wd, "No memory");
    return {};
}

std::string LoadWaveFileCore(WaveState& wd, const std::string& path, const FormatQuery& query) {
    MappedFile file(path);
    if (!file.open()) {
        ResetWaveState(wd);
        return "couldn't load";
    }
    return LoadWaveBytes(wd, file.data(), file.size(), query);
}

std::string WaveInfoText(const WAVEFORMATEX& fmt, uint32_t dwDataSize) {
    char text[128];
    std::snprintf(text, sizeof text, "%d/%d bits/ %d Channels  %d samples", int(fmt.nSamplesPerSec),
                  int(fmt.wBitsPerSample), int(fmt.nChannels), int(dwDataSize / 4));
    return text;
}

std::string WaveDisplayText(const WAVEFORMATEX& fmt, uint32_t dwDataSize) {
    char text[512];
    std::snprintf(text, sizeof text, "%d Samples/Second / %d bits / %d Channels / %d samples",
                  int(fmt.nSamplesPerSec), int(fmt.wBitsPerSample), int(fmt.nChannels), int(dwDataSize / 4));
    return text;
}
