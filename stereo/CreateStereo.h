#pragma once
// The marked texture and depth windows to a new "NEWSTEREO" picture document.
#include "documents/opened_file.h"

OPENEDFILE* CreateStereo();
