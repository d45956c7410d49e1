#pragma once
// The formats pictures are written in, told by a name's extension.
#include <cstdint>
#include <string>

enum class PictureFormat { None, Bmp, Png, Jpeg, Tiff, Webp };

// Whether `name` ends in `ext` (given in lower case), case-blind.
bool NameEndsIn(const std::string& name, const char* ext);
// By the extension at the end of the name, case-blind: .bmp, .png, .jpg/.jpeg, .tif/.tiff, .webp.
PictureFormat PictureFormatFromName(const std::string& path);
// ".bmp", ".png", ... for the format; what the save dialog adds to a bare name.
const char* PictureFormatSuffix(PictureFormat f);
// ".bmp, .png, .jpg, .jpeg, .tif, .tiff or .webp", for messages.
const char* PictureFormatList();

// "" when the format holds a width x height picture, else why not, naming its limit: WebP
// holds at most 16383 pixels a side, JPEG 65500, PNG (as libpng writes it) 1000000.
std::string PictureSizeRefusal(PictureFormat f, int width, int height);
