#include "wave/wav_loader.h"

#include "platform/whole_file.h"
#include "wave/riff_reader.h"

#include <cstdio>
#include <new>

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
    const WholeFile file = ReadWholeFile(path);
    if (!file) {
        ResetWaveState(wd);
        return file.fault == FileFault::Read ? "read error" : "couldn't load";
    }
    return LoadWaveBytes(wd, file.data(), file.size, query);
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
