#pragma once
// A wave document as a WAV file: RIFF "WAVE" with the document's PCM format record (16 bytes)
// and its sample data as they are, so an outline drawn into the samples can be kept.
#include "wave/wave_format.h"

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> EncodeWav(const WAVEFORMATEX& fmt, const uint8_t* data, uint32_t size);
// Written atomically; "" or the system's reason.
std::string WriteWavFile(const std::string& path, const WAVEFORMATEX& fmt, const uint8_t* data, uint32_t size);
