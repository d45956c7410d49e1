#pragma once
// Pictures written to files: the format a name's extension asks for, encoded in memory and
// written atomically (platform/file_writer.h), so a failed save leaves no partial file.
#include "images/image32.h"
#include "images/picture_format.h"

#include <QImage>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

// The encoded file in `out`: BMP through the program's own 24-bit writer, the rest through Qt
// (JPEG at quality 95, WebP lossless, TIFF with LZW). PNG and TIFF keep 16-bit grey values
// when given (width * height, top row first). "" or why not: the format's size limit
// (PictureSizeRefusal), or "not enough memory for a W x H picture". A `perMetre` above 0 is the
// resolution the file states (PNG pHYs, JPEG JFIF density, TIFF resolution, BMP pixels per
// metre), so that a print comes out the intended size; 0 keeps each writer's own.
std::string EncodePicture(const QImage& img, PictureFormat f, std::vector<uint8_t>& out,
                          const std::vector<uint16_t>& grey16 = {}, int perMetre = 0);
// The same written to `path`: "" or why the picture was not written.
std::string WritePicture(const std::string& path, const QImage& img, PictureFormat f,
                         const std::vector<uint16_t>& grey16 = {}, int perMetre = 0);

// The Save As filters of a picture window, PNG first.
QStringList PictureSaveFilters();

// The pixels of a Format_RGB32 picture where they lie (the fourth byte of each is no colour).
PictureView ViewOfRgb32(const QImage& rgb32);
// The display picture as a QImage (Format_RGB32) and back.
QImage ToQImage(const Image32& img);
Image32 FromQImage(const QImage& img);
