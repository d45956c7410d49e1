#pragma once
// The settings record, stored whole (536 bytes, little-endian) as the value "Settings".
#include <array>
#include <cstddef>
#include <cstdint>

struct RECT32 {
    int32_t left, top, right, bottom;
};

struct WINDOWPOSITION {
    uint32_t MaximizedWindow : 1;
    uint32_t FontSize : 8;
    uint32_t reserved0 : 23;
    RECT32 NormalWindowPosition;
};

struct SETTINGS {
    WINDOWPOSITION wpMain;
    WINDOWPOSITION wpExtra[4];
    int32_t Extra[32];
    double MndlR;
    double MndlI;
    double MndlSide;
    int32_t MndlW;
    int32_t MndlH;
    int32_t MndlRepaint;
    int32_t MndlMaxColors;
    int32_t MndlIteration;
    char Palettefile[260];
};

static_assert(sizeof(WINDOWPOSITION) == 20);
static_assert(offsetof(SETTINGS, wpExtra) == 20);
static_assert(offsetof(SETTINGS, Extra) == 100);
static_assert(offsetof(SETTINGS, MndlR) == 232);
static_assert(offsetof(SETTINGS, MndlW) == 256);
static_assert(offsetof(SETTINGS, MndlIteration) == 272);
static_assert(offsetof(SETTINGS, Palettefile) == 276);
static_assert(sizeof(SETTINGS) == 536);

constexpr size_t kSettingsSize = 536;

// Zero-fills the record and stores the defaults.
// The program's settings: loaded at start, saved at exit.
extern SETTINGS Settings;

void SetDefaultSettings(SETTINGS& s);
// The record's bytes as stored (the host is little-endian, as the stored format).
std::array<uint8_t, kSettingsSize> SettingsToBytes(const SETTINGS& s);
void SettingsFromBytes(SETTINGS& s, const uint8_t* bytes);
// A stored value as the program takes it: exactly 536 bytes, the palette name always
// terminated. Anything else leaves the defaults and returns false.
bool SettingsFromStored(SETTINGS& s, const uint8_t* data, size_t size);
// Pulls a screen rectangle onto a screen of the given size (unsigned comparisons, so a
// negative near edge counts as far outside).
void SpU_validate_winpos(RECT32& pos, int screenWidth, int screenHeight);
