// Until the GIF and JPEG readers are built, their files are not opened.
#include "app/subsystems.h"

const bool kGifReady = false;
const bool kJpegReady = false;
int LoadGifFile(OPENEDFILE*, const std::string&) { return 0; }
int LoadJPGFile(OPENEDFILE*, const std::string&) { return 0; }
