#include "wave/wav_loader.h"

#include "wave/riff_reader.h"

#include <cstdio>
#include <cstring>
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

std::string ReadWaveHeader(const uint8_t* data, size_t size, const FormatQuery* query, WaveHeader& out) {
    out = WaveHeader{};
    RiffReader rd(data, size);

    MMCKINFO riff;
    riff.fccType = FourCC('W', 'A', 'V', 'E');
    if (!rd.descend(riff, nullptr, RiffReader::Find::Riff)) return "No wave file";

    MMCKINFO fmt;
    fmt.ckid = FourCC('f', 'm', 't', ' ');
    // A chunk too short for the PCM fields counts as no format at all.
    if (!rd.descend(fmt, &riff, RiffReader::Find::Chunk) || fmt.cksize < kPcmFormatBytes) return "wave file corrupt";
    if (fmt.cksize > size - rd.position()) return "read error";
    out.format = ParseFormat(data + rd.position(), fmt.cksize);

    if (out.format.wFormatTag != WAVE_FORMAT_PCM) return "no PCM file";
    if (!LayoutOf(out.format).valid() || (query && (!*query || !(*query)(out.format)))) return "Can't play this format";

    rd.ascend(fmt);
    MMCKINFO dataCk;
    dataCk.ckid = FourCC('d', 'a', 't', 'a');
    if (!rd.descend(dataCk, &riff, RiffReader::Find::Chunk)) return "No data chunk";
    out.dwDataSize = dataCk.cksize;
    out.dataOffset = rd.position();
    if (out.dwDataSize == 0) return "empty chunk";
    if (out.dwDataSize > size - rd.position()) return "Failed read chunk";
    return {};
}

std::string ReadWaveHeaderFile(const std::string& path, WaveHeader& out) {
    // Mapped, so only the pages holding chunk headers are ever read.
    MappedFile file(path);
    if (!file.open()) {
        out = WaveHeader{};
        return "couldn't load";
    }
    return ReadWaveHeader(file.data(), file.size(), nullptr, out);
}

std::string LoadWaveBytes(WaveState& wd, const uint8_t* data, size_t size, const FormatQuery& query) {
    ResetWaveState(wd);
    WaveHeader h;
    if (std::string message = ReadWaveHeader(data, size, &query, h); !message.empty()) return Fail(wd, message.c_str());
    wd.pFormat.reset(new (std::nothrow) WAVEFORMATEX(h.format));
    if (!wd.pFormat) return Fail(wd, "no memory");
    wd.dwDataSize = h.dwDataSize;
    wd.lpData.reset(new (std::nothrow) uint8_t[wd.dwDataSize]);
    if (!wd.lpData) return Fail(wd, "No memory");
    std::memcpy(wd.lpData.get(), data + h.dataOffset, wd.dwDataSize);
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

SampleLayout LayoutOf(const WAVEFORMATEX& f) {
    SampleLayout L;
    if (f.nChannels == 0 || f.nBlockAlign % f.nChannels != 0) return L;
    L.channels = f.nChannels;
    L.bytes = f.nBlockAlign / f.nChannels;
    L.align = f.nBlockAlign;
    return L;
}

uint32_t FrameCount(const WAVEFORMATEX& f, uint32_t dwDataSize) { return f.nBlockAlign ? dwDataSize / f.nBlockAlign : 0; }

uint32_t WaveState::frames() const { return pFormat && LayoutOf(*pFormat).valid() ? dwDataSize / pFormat->nBlockAlign : 0; }

std::string WaveInfoText(const WAVEFORMATEX& fmt, uint32_t dwDataSize) {
    char text[128];
    std::snprintf(text, sizeof text, "%d/%d bits/ %d Channels  %d samples", int(fmt.nSamplesPerSec),
                  int(fmt.wBitsPerSample), int(fmt.nChannels), int(FrameCount(fmt, dwDataSize)));
    return text;
}

std::string WaveDisplayText(const WAVEFORMATEX& fmt, uint32_t dwDataSize) {
    char text[512];
    std::snprintf(text, sizeof text, "%d Samples/Second / %d bits / %d Channels / %d samples",
                  int(fmt.nSamplesPerSec), int(fmt.wBitsPerSample), int(fmt.nChannels), int(FrameCount(fmt, dwDataSize)));
    return text;
}
