#pragma once
// The formats pictures are written in, told by a name's extension.
#include <cstdint>
#include <string>
#include <vector>

enum class PictureFormat { None, Bmp, Png, Jpeg, Tiff, Webp };

// By the extension at the end of the name, case-blind: .bmp, .png, .jpg/.jpeg, .tif/.tiff, .webp.
PictureFormat PictureFormatFromName(const std::string& path);
// ".bmp", ".png", ... for the format; what the save dialog adds to a bare name.
const char* PictureFormatSuffix(PictureFormat f);
// ".bmp, .png, .jpg, .jpeg, .tif, .tiff or .webp", for messages.
const char* PictureFormatList();

// Writes an encoded picture atomically (platform/file_writer.h): "" or why not; no bytes mean
// the encoder failed.
std::string WritePictureBytes(const std::string& path, const std::vector<uint8_t>& bytes);
