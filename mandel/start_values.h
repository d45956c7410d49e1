#pragma once
// The values of the "Mandelbrot start values" dialog, as texts in and out of the settings.
#include "workspace/settings.h"

#include <cstdint>
#include <string>

// The texts of the dialog's edit controls 104 .. 112.
struct StartTexts {
    std::string Length;      // 104
    std::string R;           // 105
    std::string I;           // 106
    std::string Width;       // 107
    std::string Height;      // 108
    std::string Iterations;  // 109
    std::string Colors;      // 110
    std::string Redraw;      // 111
    std::string Palette;     // 112
};

// What the dialog shows for the stored settings ("%.15e" for the doubles).
StartTexts StartDialogTexts(const SETTINGS& s);
// "Main picture": the texts it puts into 104, 105, 106.
void FillMainPicture(StartTexts& t);
// "Start picture": stores every field; the colour count is rounded to a power of two 4 .. 256.
void StoreStartValues(SETTINGS& s, const StartTexts& t);
// The colour count the dialog keeps: 4, 8, ... 256.
int32_t RoundMaxColors(int32_t colors);
// The double in an edit text (at most 124 characters read), 0.0 when empty.
double GetValue(const std::string& text);
