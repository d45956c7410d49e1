#pragma once
// Picture files as the program reads them, without any window: each loader takes a path
// (or bytes) and returns the picture or the messages the user is to see, in order.
#include "images/image32.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PictureResult {
    bool ok = false;
    Image32 image;
    std::vector<UserMessage> messages;  // the loader's own messages
    uint16_t NumColors = 0;             // as the loader sets them in BMP_DATA
    uint16_t BitsPerPixel = 0;
};

enum class FileKind { None, Bmp, Gif, Jpeg, Wav, Dxf };

// The extension table: the first text found anywhere in the path decides; only the upper-
// and the lower-case spellings count.
FileKind DispatchKind(const std::string& path);
// The dispatch's own message after a failed load of that kind ("Error reading bitmap!", ...).
const char* DispatchFailureText(FileKind kind);

PictureResult LoadBitmapFileCore(const std::string& path);
PictureResult ReadBmpBytes(const uint8_t* data, size_t size);
PictureResult LoadGifFileCore(const std::string& path);
PictureResult ReadGifBytes(const uint8_t* data, size_t size);
PictureResult LoadJpegFileCore(const std::string& path);
PictureResult ReadJpegBytes(const uint8_t* data, size_t size);

// The loader of a picture row (Bmp, Gif, Jpeg) with its own messages only; `other` reads a
// path that no row of the extension table takes (null: refused with "Can't open file: %s").
using PictureFileReader = PictureResult (*)(const std::string& path);
PictureResult LoadPictureOfKind(FileKind kind, const std::string& path, PictureFileReader other = nullptr);
// Any picture the program opens. On failure the messages end with the dispatch's message
// ("Can't open file: %s" for a path no picture row takes).
PictureResult ReadPictureFile(const std::string& path, PictureFileReader other = nullptr);
// "Can't open file: %s" with the path, as the dispatch shows it.
std::string CantOpenText(const std::string& path);
