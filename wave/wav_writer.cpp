#include "wave/wav_writer.h"

#include "platform/file_writer.h"
#include "platform/little_endian.h"

#include <cstring>

std::vector<uint8_t> EncodeWav(const WAVEFORMATEX& fmt, const uint8_t* data, uint32_t size) {
    const uint32_t pad = size & 1;  // chunks are padded to an even length
    std::vector<uint8_t> b(44 + size_t(size) + pad);
    uint8_t* h = b.data();
    std::memcpy(h, "RIFF", 4);
    PutLe32(h + 4, 4 + 8 + 16 + 8 + size + pad);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe32(h + 16, 16);
    PutLe16(h + 20, fmt.wFormatTag);
    PutLe16(h + 22, fmt.nChannels);
    PutLe32(h + 24, fmt.nSamplesPerSec);
    PutLe32(h + 28, fmt.nAvgBytesPerSec);
    PutLe16(h + 32, fmt.nBlockAlign);
    PutLe16(h + 34, fmt.wBitsPerSample);
    std::memcpy(h + 36, "data", 4);
    PutLe32(h + 40, size);
    if (size) std::memcpy(h + 44, data, size);
    return b;
}

std::string WriteWavFile(const std::string& path, const WAVEFORMATEX& fmt, const uint8_t* data, uint32_t size) {
    const std::vector<uint8_t> b = EncodeWav(fmt, data, size);
    return WriteFileAtomically(path, b.data(), b.size());
}
