#pragma once
// The sound records shared by the loader, the output layer and the wave window.
#include "platform/little_endian.h"

#include <cstdint>
#include <memory>

// The "fmt " chunk as the loader keeps it; cbSize is 0 when the chunk has no room for it. An
// extensible header of PCM samples is kept as the plain PCM record of the same samples.
struct WAVEFORMATEX {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

constexpr uint16_t WAVE_FORMAT_PCM = 1;
constexpr uint32_t WHDR_BEGINLOOP = 4;
constexpr uint32_t WHDR_ENDLOOP = 8;

// The one playback header of a document: its buffer sounds dwLoops times in a row.
struct WAVEHDR {
    uint8_t* lpData = nullptr;
    uint32_t dwBufferLength = 0;
    uint32_t dwBytesRecorded = 0;
    uintptr_t dwUser = 0;
    uint32_t dwFlags = 0;
    uint32_t dwLoops = 0;
    WAVEHDR* lpNext = nullptr;
    uintptr_t reserved = 0;
};

// The plain part of a wave document: format, samples, view state and outline.
struct WaveState {
    std::unique_ptr<WAVEFORMATEX> pFormat;   // null until a format has been read
    uint32_t dwDataSize = 0;
    std::unique_ptr<WAVEHDR> lpWaveHdr;
    std::unique_ptr<uint8_t[]> lpData;       // the whole "data" chunk
    int Display = 0;
    int ListLen = 0;                         // ints in use, two per point
    int ListSize = 0;                        // capacity in ints
    std::unique_ptr<int[]> List;             // (X, Y) pairs
    int Drag = 0;
    long DragPos = 0;                        // x in the low 16 bits, y in the high 16 bits
    int Playing = 0;

    // Whole frames in the data that the views and the outline can read.
    uint32_t frames() const;
};

// How the samples lie in the data: frames of `align` bytes, each one little-endian sample
// container of `bytes` per channel, 8-bit unsigned or 16-, 24- or 32-bit signed.
struct SampleLayout {
    int channels = 0;
    int bytes = 0;
    uint32_t align = 0;
    bool valid() const { return channels > 0 && bytes >= 1 && bytes <= 4; }
    // Byte offset of the left (k 0) or right (k 1) sample in a frame; a mono frame gives
    // its one sample to both.
    size_t offset(int k) const { return size_t(k > 0 && channels > 1 ? bytes : 0); }
};
// Invalid unless the block align holds a whole container of 1 to 4 bytes per channel.
SampleLayout LayoutOf(const WAVEFORMATEX& f);
inline SampleLayout LayoutOf(const WaveState& wd) { return wd.pFormat ? LayoutOf(*wd.pFormat) : SampleLayout{}; }
// Data size / block align: the frame count the information texts show.
uint32_t FrameCount(const WAVEFORMATEX& f, uint32_t dataSize);

// A sample container scaled to 16 bits as sox reads it: 8-bit unsigned moved to signed,
// wider samples rounded to their top 16 bits (half up, the largest held at 32767).
inline int16_t Sample16(const uint8_t* p, int bytes) {
    uint32_t u;
    switch (bytes) {
    case 1: return int16_t((int(p[0]) - 128) * 256);
    case 2: return int16_t(Le16(p));
    case 3: u = uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24; break;
    default: u = Le32(p); break;
    }
    if (int32_t(u) > 0x7FFF7FFF) return 32767;
    return int16_t(uint16_t((u + 0x8000u) >> 16));
}
// Sample k (0 left, 1 right) of frame i, scaled to 16 bits.
inline int16_t FrameSample(const uint8_t* data, const SampleLayout& L, uint32_t i, int k) {
    return Sample16(data + size_t(i) * L.align + L.offset(k), L.bytes);
}
// Stores a 16-bit value into a container of the layout's size (the inverse of Sample16).
inline void PutSample16(uint8_t* p, int bytes, int16_t v) {
    const uint32_t u = uint32_t(int32_t(v)) << 16;
    if (bytes == 1) {
        p[0] = uint8_t((v >> 8) + 128);
        return;
    }
    for (int b = 0; b < bytes; ++b) p[b] = uint8_t(u >> (8 * (4 - bytes + b)));
}
