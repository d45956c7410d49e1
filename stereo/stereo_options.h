#pragma once
// The values that steer a stereogram computation, and their checking.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Where a depth pixel's value comes from.
enum : int {
    kDepthClassic = 0,  // level = low 7 bits of the pixel's first byte, 0..127
    kDepthGrey = 1,     // its grey value (16-bit when the picture kept one), white near
    kDepthAuto = 2,     // grey for a grey picture (R = G = B everywhere, or 16-bit grey kept), else classic
};
// "automatic", "classic" or "grey": as the CLI and the dialog name the modes.
const char* DepthModeName(int mode);
// How the eyes meet: behind the screen (parallel, wall-eyed) or in front of it (crossed).
enum : int { kViewParallel = 0, kViewCross = 1 };
// The convergence marks above a result: none, two discs or two triangles pointing down at it.
enum : int { kMarksOff = 0, kMarksDots = 1, kMarksTriangles = 2 };
// "off", "dots" or "triangles", and back (-1 for any other name).
const char* MarksName(int marks);
int MarksFromName(const std::string& name);
inline constexpr int kMaxRelief = 4000;
inline constexpr int kMaxSmooth = 32, kMaxDpi = 10000;
inline constexpr int kMinOutSide = 16, kMaxOutSide = 16384;

struct StereoOptions {
    int oversam = 1;       // samples per output pixel: 1, 2, 4 or 6
    int bkdepth = -800;    // depth of level 0, in depth units (negative: behind the screen)
    int Eye = 150;         // eye separation in output pixels
    int o = 700;           // observer's distance from the screen, in depth units
    int BlocksOnTop = 0;   // nonzero: rows 8 to 31 show a block pattern instead of the depth
    int dohiddenrem = 0;   // nonzero: hidden-surface removal
    int invert = 0;        // nonzero: depth levels inverted
    int DepthMode = kDepthAuto;
    int relief = 127;      // depth units from the farthest (level 0) to the nearest depth value
    int OutWidth = 0;      // result size; 0 takes the depth picture's width or height
    int OutHeight = 0;
    int dots = kMarksOff;  // the convergence marks in a white band above the result, kMarks*
    int viewing = kViewParallel;
    int dpi = 0;           // dots per inch a saved result states; 0: the format's usual
    int smooth = 0;        // radius in pixels of the depth's smoothing before use; 0: none
};

// The number fields as the user typed them; an empty size field takes the depth picture's side.
struct StereoFieldTexts {
    std::string oversam;
    std::string bkdepth;
    std::string Eye;
    std::string o;
    std::string relief = "127";
    std::string OutWidth = "";
    std::string OutHeight = "";
};

// The message for the first value the generator cannot work with (fields in dialog order),
// or an empty string when all are good.
std::string ValidateStereoOptions(const StereoOptions& opts);

// The number fields in dialog order.
enum class StereoField { Oversample, BackgroundDepth, Eye, Distance, Relief, OutWidth, OutHeight };

// Reads the fields into `out` (its switches are left alone). Returns the message for
// the first field that is not a number or is out of range, or an empty string; `out` is
// changed only when every field is good. `bad`, when given, names the refused field.
std::string ReadStereoFields(const StereoFieldTexts& fields, StereoOptions& out, StereoField* bad = nullptr);

enum class NumberReading { Ok, NotANumber, TooLarge };
// A plain decimal whole number with an optional minus sign and surrounding blanks; TooLarge
// for such a number outside int.
NumberReading ParseStereoNumber(const std::string& text, int& value);

// How far apart, in samples (ov per output pixel), the two pixels lie that show depth offset d
// (0 the background plane, relief the nearest): Eye x ov x t / (t - o) with t = bkdepth + d,
// truncated toward zero. The generator links samples with it. For crossed eyes the offsets run
// the other way (d is taken as relief - d): the nearest depth gets the widest separation, which
// crossed eyes fuse nearest, in front of the screen, so the same depth map stands out either way.
int64_t StereoSeparation(const StereoOptions& opts, int64_t d, int ov = 1);

// The separation of the background plane in output pixels (80 at the defaults): the distance
// that a flat stereogram repeats at and that the convergence dots lie apart.
int BackgroundSeparation(const StereoOptions& opts);

// Sizes in the world. Pixels from millimetres at `dpi` dots per inch are rounded to the nearest
// whole pixel (halves away from zero); millimetres from pixels are exact.
inline constexpr double kMmPerInch = 25.4;
int64_t MmToPixels(double mm, double dpi);
double PixelsToMm(double px, double dpi);
// Pixels per metre for a dots-per-inch figure, rounded (300 dpi: 11811), as files state it.
int DpiToPerMetre(double dpi);

// The viewer and the output in millimetres: eye separation, viewing distance, the output's
// dots per inch, and the depth of field: the nearest depth's share of the way from the far
// plane to the screen (1/3, the usual choice, makes the near separation 4/5 of the far one).
struct PhysicalViewing {
    double eyeMm = 63, distanceMm = 500, dpi = 96, depthOfField = 1.0 / 3;
};
// The pixel values these give: Eye and o are the millimetres at the DPI, the far plane lies as
// far behind the screen as the viewer sits before it (bkdepth = -o, so the background separation
// is Eye / 2) and the relief is depthOfField x o, rounded. Depth units are output pixels.
void SetEyeMm(StereoOptions& opts, double mm, double dpi);
void SetDistanceMm(StereoOptions& opts, double mm, double dpi);  // o and bkdepth
void SetDepthOfField(StereoOptions& opts, double fraction);     // relief from bkdepth
void ApplyPhysical(StereoOptions& opts, const PhysicalViewing& p);
// The same read back from pixel values at `dpi`: the depth of field is relief / -bkdepth.
PhysicalViewing PhysicalOf(const StereoOptions& opts, double dpi);

// A print size: "A4" (210 x 297 mm), "Letter" (8.5 x 11 in) or "WxHmm" such as "100x150mm",
// in pixels at `dpi`. "" or why the text names no size.
std::string PrintSizePixels(const std::string& text, double dpi, int& width, int& height);

// The options as the settings store keeps them (value "StereoOptions"): "OSO3", then the fifteen
// values in StereoOptions order as little-endian 32-bit words. The older records are still read:
// "OSO2" and the first thirteen (56 bytes, before the DPI and smoothing), and "OSO1" and the first
// twelve (52 bytes, before the viewing choice, read as parallel viewing).
inline constexpr size_t kStoredStereoOptionsSize = 64, kOso2StoredSize = 56, kOldStoredStereoOptionsSize = 52;
std::array<uint8_t, kStoredStereoOptionsSize> StereoOptionsToBytes(const StereoOptions& opts);
// A stored value as the program takes it: one of those sizes and tags, values the dialog could have
// stored (the checks of ValidateStereoOptions, switches 0 or 1, marks 0 to 2). Anything else leaves the
// defaults and returns false.
bool StereoOptionsFromStored(StereoOptions& opts, const uint8_t* data, size_t size);

// Caption of every stereo message box.
inline constexpr const char* kStereoCaption = "Orvalis";
