#include "wave/wav_loader.h"

#include "platform/little_endian.h"
#include "platform/whole_file.h"
#include "wave/riff_reader.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr size_t kPcmFormatBytes = 16;  // the fields up to wBitsPerSample
constexpr size_t kExtensibleBytes = 40;  // cbSize 22: valid bits, channel mask, sub-format
constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;
// The sub-format GUID of integer PCM, 00000001-0000-0010-8000-00aa00389b71, as stored.
constexpr uint8_t kPcmSubFormat[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};

WAVEFORMATEX ParseFormat(const uint8_t* p, size_t n) {
    WAVEFORMATEX f;
    f.wFormatTag = Le16(p);
    f.nChannels = Le16(p + 2);
    f.nSamplesPerSec = Le32(p + 4);
    f.nAvgBytesPerSec = Le32(p + 8);
    f.nBlockAlign = Le16(p + 12);
    f.wBitsPerSample = Le16(p + 14);
    f.cbSize = n >= 18 ? Le16(p + 16) : 0;
    // An extensible header of PCM samples becomes the plain PCM record of the same sound: the
    // samples lie alike (each sample's valid bits at the top of its container, the container
    // being the block align's share per channel), so only the bit count may differ, and a
    // plain record gives it as wBitsPerSample. Other sub-formats keep their tag and are refused.
    if (f.wFormatTag == WAVE_FORMAT_EXTENSIBLE && n >= kExtensibleBytes && f.cbSize >= kExtensibleBytes - 18 &&
        std::memcmp(p + 24, kPcmSubFormat, sizeof kPcmSubFormat) == 0) {
        const uint16_t valid = Le16(p + 18);
        f.wFormatTag = WAVE_FORMAT_PCM;
        if (valid > 0 && valid < f.wBitsPerSample) f.wBitsPerSample = valid;
        f.cbSize = 0;
    }
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

namespace {
// The loader's text for a file that cannot be read whole.
const char* WaveFileFault(const WholeFile& file) { return file.fault == FileFault::Read ? "read error" : "couldn't load"; }
// The same with the system's reason, for a line that has room for it.
std::string WaveFileFaultWhy(const WholeFile& file) {
    return std::string(WaveFileFault(file)) + ": " + std::strerror(file.error);
}
}  // namespace

std::string ReadWaveHeaderFile(const std::string& path, WaveHeader& out) {
    // The chunk headers nearly always lie in the file's first block; the samples are never
    // read unless they do not.
    constexpr size_t kHead = size_t(1) << 20;
    uint64_t fileSize = 0;
    WholeFile head = ReadFileStart(path, kHead, fileSize);
    if (!head) {
        out = WaveHeader{};
        return WaveFileFaultWhy(head);
    }
    std::string message = ReadWaveHeader(head.data(), head.size, nullptr, out);
    if (head.size == fileSize) return message;
    if (message == "Failed read chunk") return out.dataOffset + uint64_t(out.dwDataSize) <= fileSize ? std::string() : message;
    // Only these can come from a chunk header beyond the head.
    if (message != "wave file corrupt" && message != "read error" && message != "No data chunk") return message;
    const WholeFile whole = ReadWholeFile(path);
    if (!whole) {
        out = WaveHeader{};
        return WaveFileFaultWhy(whole);
    }
    return ReadWaveHeader(whole.data(), whole.size, nullptr, out);
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
    const WholeFile file = ReadWholeFile(path);
    if (!file) {
        ResetWaveState(wd);
        return WaveFileFault(file);
    }
    return LoadWaveBytes(wd, file.data(), file.size, query);
}

SampleLayout LayoutOf(const WAVEFORMATEX& f) {
    SampleLayout L;
    if (f.nChannels == 0 || f.nBlockAlign % f.nChannels != 0) return L;
    L.channels = f.nChannels;
    L.bytes = f.nBlockAlign / f.nChannels;
    L.align = f.nBlockAlign;
    return L;
}

uint32_t FrameCount(const WAVEFORMATEX& f, uint32_t dataSize) { return f.nBlockAlign ? dataSize / f.nBlockAlign : 0; }

uint32_t WaveState::frames() const { return pFormat && LayoutOf(*pFormat).valid() ? dwDataSize / pFormat->nBlockAlign : 0; }

std::string WaveInfoText(const WAVEFORMATEX& fmt, uint32_t dataSize) {
    char text[128];
    std::snprintf(text, sizeof text, "%d/%d bits/ %d Channels  %d samples", int(fmt.nSamplesPerSec),
                  int(fmt.wBitsPerSample), int(fmt.nChannels), int(FrameCount(fmt, dataSize)));
    return text;
}

std::string WaveDisplayText(const WAVEFORMATEX& fmt, uint32_t dataSize) {
    char text[512];
    std::snprintf(text, sizeof text, "%d Samples/Second / %d bits / %d Channels / %d samples",
                  int(fmt.nSamplesPerSec), int(fmt.wBitsPerSample), int(fmt.nChannels), int(FrameCount(fmt, dataSize)));
    return text;
}
