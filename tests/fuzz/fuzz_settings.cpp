// The stored settings record as the program takes it at start: size check, then the
// placement check and the palette name; and the stored stereo options, which the program
// takes only when the dialog could have stored them.
#include "stereo/stereo_options.h"
#include "workspace/settings.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SETTINGS s;
    SettingsFromStored(s, data, size);
    RECT32 r = s.wpMain.NormalWindowPosition;
    if (r.right != 0) SpU_validate_winpos(r, 1920, 1080);
    volatile size_t n = std::strlen(s.Palettefile);
    (void)n;
    StereoOptions o;
    StereoOptionsFromStored(o, data, size);
    if (!ValidateStereoOptions(o).empty()) __builtin_trap();  // the stored values or the defaults
    return 0;
}
