// Placeholder until the bmp reader is built.
#include "images/picture_file.h"

PictureResult LoadBitmapFileCore(const std::string&) { return {}; }
PictureResult ReadBmpBytes(const uint8_t*, size_t) { return {}; }
