#pragma once
// Stereo > "Reveal depth" and "Make stereo pair...": a stereogram's depth read back into a new
// window, and stereo pairs or anaglyphs of a picture window and a depth window.
#include "documents/opened_file.h"
#include "images/image32.h"
#include "stereo/stereo_options.h"

class QImage;
class QWidget;

#include <cstdint>

// The texture of a stereogram when "New random texture" made it: random dots from a seed.
struct StereoTexture {
    bool blackAndWhite = false;
    uint32_t seed = 0;
    int width = 0;  // 0: not random dots
};

// Keeps with a stereogram window the program made what it was made from: the options, the
// depth picture and the rows of convergence marks above the stereogram, so that the depth read
// back from it can be scored. On random dots the window also gets the shimmer key (S).
void KeepStereoSource(QWidget* window, const StereoOptions& opts, Image32 depth, int bandRows,
                      const StereoTexture& texture = {});
// The same with the depth picture `depth` whose pixels lie in `shared` (a depth document's
// picture), kept without a copy of them.
void KeepStereoSource(QWidget* window, const StereoOptions& opts, const QImage& shared, const PictureView& depth,
                      int bandRows, const StereoTexture& texture = {});

// The shimmer aid of a random-dot stereogram window the program made: S turns it on and off.
// While on, the window shows its picture and the same stereogram on dots of another seed in turn,
// kShimmerMs each, so that the hidden shape flickers into view without fusing.
inline constexpr int kShimmerMs = 150;
// Turns it on or off for `window`; false (and a note in the status line) when the window is no
// random-dot stereogram the program made.
bool ToggleShimmer(QWidget* window);
// The other picture shimmer shows, made by the generator: same options, same depth, the texture's seed + 1.
Image32 ShimmerPicture(const StereoOptions& opts, const Image32& depth, const StereoTexture& texture);

// The depth hidden in the active picture window, in a new window "Depth of NAME"; in the
// background, with a progress dialog that can cancel for a picture above a million pixels.
// A stereogram the program made uses its options, and the status line gets the result's
// fidelity figures. Null (after saying why) when the picture holds no stereogram.
OPENEDFILE* RevealDepth();

// The dialog choosing the depth and picture windows, the layout and the strength; the pair
// or anaglyph in a new window. Null when cancelled or refused.
OPENEDFILE* MakeStereoPairWindow();
