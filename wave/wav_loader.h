#pragma once
// Reading a WAV file into a wave document: the format record and the whole "data" chunk.
#include "wave/wave_format.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Asks the sound output whether it could play a format; nothing stays open.
using FormatQuery = std::function<bool(const WAVEFORMATEX&)>;

// Fills `wd` from a WAV image. Returns "" on success or the message for the user; after a
// failure `wd` holds no format and no data. The query is asked only for a PCM format.
std::string LoadWaveBytes(WaveState& wd, const uint8_t* data, size_t size, const FormatQuery& query);
// The same for a file ("couldn't load" when it does not open).
std::string LoadWaveFileCore(WaveState& wd, const std::string& path, const FormatQuery& query);

// "%d/%d bits/ %d Channels  %d samples": the information box.
std::string WaveInfoText(const WAVEFORMATEX& fmt, uint32_t dwDataSize);
// "%d Samples/Second / %d bits / %d Channels / %d samples": the information view.
std::string WaveDisplayText(const WAVEFORMATEX& fmt, uint32_t dwDataSize);
