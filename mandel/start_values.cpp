#include "mandel/start_values.h"

#include "mandel/number_text.h"

#include <algorithm>
#include <atomic>
#include <cstring>

StartTexts StartDialogTexts(const SETTINGS& s) {
    StartTexts t;
    t.Length = FormatExp(s.MndlSide, 15);
    t.R = FormatExp(s.MndlR, 15);
    t.I = FormatExp(s.MndlI, 15);
    t.Width = std::to_string(uint32_t(s.MndlW));
    t.Height = std::to_string(uint32_t(s.MndlH));
    t.Iterations = std::to_string(uint32_t(s.MndlIteration));
    t.Colors = std::to_string(uint32_t(s.MndlMaxColors));
    t.Redraw = std::to_string(uint32_t(s.MndlRepaint));
    t.Palette.assign(s.Palettefile, strnlen(s.Palettefile, sizeof s.Palettefile));
    return t;
}

void FillMainPicture(StartTexts& t) {
    t.Length = "2.27";
    t.R = "-2";
    t.I = "-1.1338";
}

int32_t RoundMaxColors(int32_t c) {
    if (c < 8) return 4;
    if (c < 16) return 8;
    if (c < 32) return 16;
    if (c < 64) return 32;
    if (c < 128) return 64;
    if (c < 256) return 128;
    return 256;
}

double GetValue(const std::string& text) { return ParseDouble(std::string_view(text).substr(0, 124)); }

void StoreStartValues(SETTINGS& s, const StartTexts& t) {
    s.MndlSide = GetValue(t.Length);
    s.MndlR = GetValue(t.R);
    s.MndlI = GetValue(t.I);
    // The name keeps to the record's 259 characters without cutting a UTF-8 sequence.
    size_t n = std::min(t.Palette.size(), sizeof s.Palettefile - 1);
    while (n > 0 && n < t.Palette.size() && (uint8_t(t.Palette[n]) & 0xC0) == 0x80) --n;
    std::memset(s.Palettefile, 0, sizeof s.Palettefile);
    std::memcpy(s.Palettefile, t.Palette.data(), n);
    s.MndlW = ParseUnsigned(t.Width);
    s.MndlH = ParseUnsigned(t.Height);
    // Running workers read the limit at every iteration test.
    std::atomic_ref<int32_t>(s.MndlIteration).store(ParseUnsigned(t.Iterations), std::memory_order_relaxed);
    s.MndlMaxColors = RoundMaxColors(ParseUnsigned(t.Colors));
    s.MndlRepaint = ParseUnsigned(t.Redraw);
}
