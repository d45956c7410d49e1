#pragma once
// Pictures in the everyday formats that the extension table does not claim (PNG, .jpeg and
// .jpe, TIFF, WebP, PBM/PGM/PPM, TGA). The format is told by the content, whatever the name
// says; only TGA, which has no signature, is taken from a name ending in .tga. PNG, 16-bit
// PGM, TGA and content in BMP or GIF form go to the program's own readers, the rest to Qt's
// image reader, whose libraries print nothing: their reason ends the refusal's message.
//
// The result is the display picture every loader gives (alpha dropped, 16-bit channels cut
// to their high byte). A 16-bit grey picture (PNG, PGM, TIFF) also keeps its grey values in
// Image32::grey16: width * height values, top row first, the stereogram's depth source.
#include "images/picture_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

// `name` only serves to recognise TGA data; it may be empty.
PictureResult ReadQtPictureBytes(const uint8_t* data, size_t size, const std::string& name = {});
PictureResult LoadQtPictureFile(const std::string& path);
// Any picture the program opens: the extension table's rows for the names they claim, this
// reader for every other name. On failure the messages end with the dispatch's message.
PictureResult ReadAnyPictureFile(const std::string& path);
