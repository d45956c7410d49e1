// Placeholder until the gif reader is built.
#include "images/picture_file.h"

PictureResult LoadGifFileCore(const std::string&) { return {}; }
PictureResult ReadGifBytes(const uint8_t*, size_t) { return {}; }
