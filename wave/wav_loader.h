#pragma once
// Reading a WAV file into a wave document: the format record and the whole "data" chunk.
#include "wave/wave_format.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Asks the sound output whether it could play a format; nothing stays open.
using FormatQuery = std::function<bool(const WAVEFORMATEX&)>;

// What the chunks before the sound say: the format and where the "data" chunk's bytes lie.
struct WaveHeader {
    WAVEFORMATEX format;
    size_t dataOffset = 0;
    uint32_t dwDataSize = 0;
};

// Reads a WAV image's chunks up to the "data" chunk's header, never its bytes, with the
// loader's messages ("" when the whole data chunk is there). A PCM format whose samples
// have no readable layout is refused like one the sound output refuses; `query`, when
// given, is asked only for a readable PCM format.
std::string ReadWaveHeader(const uint8_t* data, size_t size, const FormatQuery* query, WaveHeader& out);
// The same for a file ("couldn't load: " and the system's reason when it does not open, "read
// error: ..." when it does not read whole); asks no sound output.
std::string ReadWaveHeaderFile(const std::string& path, WaveHeader& out);

// Fills `wd` from a WAV image. Returns "" on success or the message for the user; after a
// failure `wd` holds no format and no data.
std::string LoadWaveBytes(WaveState& wd, const uint8_t* data, size_t size, const FormatQuery& query);
// The same for a file ("couldn't load" when it does not open).
std::string LoadWaveFileCore(WaveState& wd, const std::string& path, const FormatQuery& query);

// "%d/%d bits/ %d Channels  %d samples": the information box; samples are whole frames.
std::string WaveInfoText(const WAVEFORMATEX& fmt, uint32_t dataSize);
// "%d Samples/Second / %d bits / %d Channels / %d samples": the information view.
std::string WaveDisplayText(const WAVEFORMATEX& fmt, uint32_t dataSize);
