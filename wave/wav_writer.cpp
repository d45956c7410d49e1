#include "wave/wav_writer.h"

#include "platform/file_writer.h"

namespace {
void Put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Id(std::vector<uint8_t>& b, const char* id) { b.insert(b.end(), id, id + 4); }
}  // namespace

std::vector<uint8_t> EncodeWav(const WAVEFORMATEX& fmt, const uint8_t* data, uint32_t size) {
    const uint32_t pad = size & 1;  // chunks are padded to an even length
    std::vector<uint8_t> b;
    b.reserve(44 + size_t(size) + pad);
    Id(b, "RIFF");
    Put(b, 4 + 8 + 16 + 8 + size + pad, 4);
    Id(b, "WAVE");
    Id(b, "fmt ");
    Put(b, 16, 4);
    Put(b, fmt.wFormatTag, 2);
    Put(b, fmt.nChannels, 2);
    Put(b, fmt.nSamplesPerSec, 4);
    Put(b, fmt.nAvgBytesPerSec, 4);
    Put(b, fmt.nBlockAlign, 2);
    Put(b, fmt.wBitsPerSample, 2);
    Id(b, "data");
    Put(b, size, 4);
    if (size) b.insert(b.end(), data, data + size);
    if (pad) b.push_back(0);
    return b;
}

std::string WriteWavFile(const std::string& path, const WAVEFORMATEX& fmt, const uint8_t* data, uint32_t size) {
    const std::vector<uint8_t> b = EncodeWav(fmt, data, size);
    return WriteFileAtomically(path, b.data(), b.size());
}
