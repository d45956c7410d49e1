#pragma once
// The seven values that steer a stereogram computation, and their checking.
#include <string>

struct StereoOptions {
    int oversam = 1;       // samples per output pixel: 1, 2, 4 or 6
    int bkdepth = -800;    // depth of level 0, in depth units (negative: behind the screen)
    int Eye = 150;         // eye separation in output pixels
    int o = 700;           // observer's distance from the screen, in depth units
    int BlocksOnTop = 0;   // nonzero: rows 8 to 31 show a block pattern instead of the depth
    int dohiddenrem = 0;   // nonzero: hidden-surface removal
    int invert = 0;        // nonzero: depth levels inverted
};

// The four number fields as the user typed them.
struct StereoFieldTexts {
    std::string oversam;
    std::string bkdepth;
    std::string Eye;
    std::string o;
};

// The message for the first value the generator cannot work with (fields in dialog order),
// or an empty string when all are good.
std::string ValidateStereoOptions(const StereoOptions& opts);

enum class StereoField { Oversample, BackgroundDepth, Eye, Distance };
// Reads one field's text into `value` (left alone on refusal); returns the dialog's message
// for a text that is not a number or is out of range, or an empty string.
std::string ReadStereoField(StereoField field, const std::string& text, int& value);

// Reads the four fields into `out` (its switches are left alone). Returns the message for
// the first field that is not a number or is out of range, or an empty string; `out` is
// changed only when every field is good.
std::string ReadStereoFields(const StereoFieldTexts& fields, StereoOptions& out);

enum class NumberReading { Ok, NotANumber, TooLarge };
// A plain decimal whole number with an optional minus sign and surrounding blanks; TooLarge
// for such a number outside int.
NumberReading ParseStereoNumber(const std::string& text, int& value);

// Caption of every stereo message box.
inline constexpr const char* kStereoCaption = "Orvalis";
