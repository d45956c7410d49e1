#pragma once
// Stereo > "Reveal depth" and "Make stereo pair...": a stereogram's depth read back into a new
// window, and stereo pairs or anaglyphs of a picture window and a depth window.
#include "documents/opened_file.h"
#include "images/image32.h"
#include "stereo/stereo_options.h"

class QImage;
class QWidget;

// Keeps with a stereogram window the program made what it was made from: the options, the
// depth picture and the rows of convergence dots above the stereogram, so that the depth read
// back from it can be scored.
void KeepStereoSource(QWidget* window, const StereoOptions& opts, Image32 depth, int bandRows);
// The same with the depth picture `depth` whose pixels lie in `shared` (a depth document's
// picture), kept without a copy of them.
void KeepStereoSource(QWidget* window, const StereoOptions& opts, const QImage& shared, const PictureView& depth,
                      int bandRows);

// The depth hidden in the active picture window, in a new window "Depth of NAME"; in the
// background, with a progress dialog that can cancel for a picture above a million pixels.
// A stereogram the program made uses its options, and the status line gets the result's
// fidelity figures. Null (after saying why) when the picture holds no stereogram.
OPENEDFILE* RevealDepth();

// The dialog choosing the depth and picture windows, the layout and the strength; the pair
// or anaglyph in a new window. Null when cancelled or refused.
OPENEDFILE* MakeStereoPairWindow();
