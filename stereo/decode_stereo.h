#pragma once
// Reading a stereogram back: a stereogram repeats itself at the separation of each point, so
// matching the picture with itself recovers the separations, and from them the depth.
#include "images/image32.h"
#include "stereo/stereo_options.h"

#include <atomic>
#include <cstdint>
#include <vector>

// What the decoder found, pixel by pixel (top row first).
struct DecodedStereo {
    int width = 0, height = 0;
    float sepLow = 0, sepHigh = 0;  // the separations searched, in pixels
    std::vector<float> sep;         // best separation, to a tenth of a pixel (0 where nothing matched)
    std::vector<uint8_t> sure;      // 1 where the match stands out from every other separation
    std::vector<uint8_t> echo;      // 1 where a second separation matches about as well
};

enum class DecodeResult { Found, NoStereogram, NoMemory, Cancelled };

// Optional hooks for a caller that shows progress: rows done so far (added to as rows are
// finished, from any thread) and a request to stop.
struct DecodeProgress {
    std::atomic<int>* rowsDone = nullptr;
    const std::atomic<bool>* cancel = nullptr;
};

// The separation range a stereogram made with `opts` uses: that of the nearest and of the
// farthest depth, in pixels.
void SeparationRange(const StereoOptions& opts, double& nearest, double& farthest);

// The background separation found from the rows' autocorrelation (the strongest repeat), with
// the range of separations that repeat as well; false when the picture does not repeat.
bool FindSeparationRange(const PictureView& pic, int& low, int& high, int& background);

// Matches the picture with itself at each separation of the options' range (or of the range
// found from the picture when `opts` is null; in half pixels for an oversampled one with
// options, whole pixels without), windowed over a few pixels each way, each pixel
// placed at the middle of the pixel pair it links. NoStereogram when the picture does not
// repeat or too few pixels match.
DecodeResult DecodeStereogram(const PictureView& pic, const StereoOptions* opts, DecodedStereo& out,
                              const DecodeProgress& progress = {});

// Unsure pixels (and those nothing matched) take the separation of the nearest sure pixel on
// the farther side of their row, or of the nearest filled row.
void FillUnsure(DecodedStereo& d);

// The depth offset (0 farthest to relief nearest, as the generator reads depth pictures)
// whose separation is `sep`, by the options' formula; between levels it is interpolated.
double DepthOffsetOfSeparation(const StereoOptions& opts, double sep);

// The recovered depth as 16-bit grey, white near: with options, depth offsets scaled so the
// relief is 65535; without, separations scaled so the nearest found is white and the farthest
// black. Pixels whose separation is 0 (unsure, unfilled) are black.
std::vector<uint16_t> DecodedDepth16(const DecodedStereo& d, const StereoOptions* opts);

// How the decoded separations agree with the depth picture the stereogram was made from.
struct DecodeFidelity {
    double sure = 0;    // share of the pixels that are sure
    double within = 0;  // share of the sure pixels within one depth level or one pixel of separation
    double meanError = 0;  // mean error of the sure pixels, in pixels of separation
    double meanLevels = 0;  // the same in depth offsets
    double echo = 0;    // share of the pixels that match as well at a second separation
};
// `truth` is read as the generator reads depth pictures with `opts` (scaled to the decoded
// size). False when the options are unusable.
bool CompareDecoded(const DecodedStereo& d, const PictureView& truth, const StereoOptions& opts, DecodeFidelity& out);
