#pragma once
// The marked texture and depth windows to a new "NEWSTEREO" picture document.
#include "documents/opened_file.h"
#include "stereo/stereo_options.h"

OPENEDFILE* CreateStereo(const StereoOptions& options);
