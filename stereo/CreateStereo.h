#pragma once
// The marked texture and depth windows to a new "NEWSTEREO" picture document.
#include "documents/opened_file.h"
#include "stereo/stereo_options.h"

#include <cstdint>

// Results larger than this many pixels are made in the background, with a progress bar in the
// status line and Esc to cancel; the window appears when the result is done.
inline constexpr int64_t kBackgroundStereoPixels = 4000000;

// The stereogram in a new window; null when something is missing or refused (after saying
// why), or when a background run was cancelled (nothing said, no window).
OPENEDFILE* CreateStereo(const StereoOptions& options);
