#include "workspace/settings.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the stored record is little-endian");

SETTINGS Settings;

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

bool SettingsFromStored(SETTINGS& s, const uint8_t* data, size_t size) {
    if (size != kSettingsSize) {
        SetDefaultSettings(s);
        return false;
    }
    SettingsFromBytes(s, data);
    s.Palettefile[sizeof s.Palettefile - 1] = 0;
    return true;
}

namespace {
void ValidateAxis(int32_t& n, int32_t& f, int32_t s) {
    const uint32_t us = uint32_t(s);
    if (uint32_t(f) - uint32_t(n) > us) f = int32_t(uint32_t(n) + us);
    if (uint32_t(f) > us) {
        n = int32_t(uint32_t(n) - (uint32_t(f) - us));
        f = s;
    }
    if (uint32_t(n) > us) {
        f = int32_t(uint32_t(f) - uint32_t(n));
        n = 0;
    }
}
}  // namespace

void SpU_validate_winpos(RECT32& pos, int screenWidth, int screenHeight) {
    ValidateAxis(pos.left, pos.right, screenWidth);
    ValidateAxis(pos.top, pos.bottom, screenHeight);
}
