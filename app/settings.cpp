#include "app/settings.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the stored record is little-endian");

void SetDefaultSettings(SETTINGS& s) {
    std::memset(&s, 0, sizeof s);
    std::strcpy(s.Palettefile, "palette.pal");
    s.MndlR = -0.744846;
    s.MndlI = -0.132678;
    s.MndlSide = 0.002463;
    s.MndlW = 800;
    s.MndlH = 600;
    s.MndlRepaint = 500;
    s.MndlMaxColors = 16;
    s.MndlIteration = 256;
}

std::array<uint8_t, kSettingsSize> SettingsToBytes(const SETTINGS& s) {
    std::array<uint8_t, kSettingsSize> b;
    std::memcpy(b.data(), &s, kSettingsSize);
    return b;
}

void SettingsFromBytes(SETTINGS& s, const uint8_t* bytes) { std::memcpy(&s, bytes, kSettingsSize); }
