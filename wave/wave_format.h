#pragma once
// The sound records shared by the loader, the output layer and the wave window.
#include <cstdint>
#include <memory>

// The "fmt " chunk as the loader keeps it; cbSize is 0 when the chunk has no room for it.
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

    // Whole 4-byte frames (two 16-bit samples) in the data, whatever the format says.
    uint32_t frames() const { return dwDataSize / 4; }
};

// Sample k of frame i (0 left, 1 right), little-endian signed 16-bit.
inline int16_t FrameSample(const uint8_t* data, uint32_t i, int k) {
    const uint8_t* p = data + size_t(i) * 4 + size_t(k) * 2;
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}
