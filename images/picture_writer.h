#pragma once
// Pictures written to files: the format a name's extension asks for, encoded in memory and
// written atomically (a temporary file in the same folder, renamed over the target), so a
// failed save never leaves a partial file behind.
#include "images/image32.h"

#include <QImage>
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

// The encoded file: BMP through the program's own 24-bit writer, the rest through Qt
// (JPEG at quality 95, WebP lossless, TIFF with LZW). PNG and TIFF keep 16-bit grey values
// when given (width * height, top row first). Empty when the encoder fails.
std::vector<uint8_t> EncodePicture(const QImage& img, PictureFormat f, const std::vector<uint16_t>& grey16 = {});
// Writes the bytes atomically. Returns "" or the system's reason (strerror).
std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);
// Both: "" or why the picture was not written.
std::string WritePicture(const std::string& path, const QImage& img, PictureFormat f,
                         const std::vector<uint16_t>& grey16 = {});

// The display picture as a QImage (Format_RGB32) and back.
QImage ToQImage(const Image32& img);
Image32 FromQImage(const QImage& img);
