#pragma once
// Picture files as the program reads them, without any window: each loader takes a path
// (or bytes) and returns the picture or the messages the user is to see, in order.
#include "images/image32.h"
#include "platform/whole_file.h"

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

// A BMP file of plain 24- or 32-bit rows read where its rows lie in its bytes: true with
// `file` holding them (bottomRow, rowStep and bpp describe the rows); false for anything
// else, which the picture loaders then read (and refuse with their messages).
struct PictureRows {
    WholeFile file;
    const uint8_t* bottomRow = nullptr;  // null when the picture was decoded
    ptrdiff_t rowStep = 0;               // bytes from a row to the one above it
    int width = 0, height = 0, bpp = 0;
};
bool ReadPlainBmpRows(const std::string& path, PictureRows& rows);

// Any picture the program opens. On failure the messages end with the dispatch's message
// ("Can't open file: %s" for a path no picture row takes).
PictureResult ReadPictureFile(const std::string& path, PictureFileReader other = nullptr);
// "Can't open file: %s" with the path, as the dispatch shows it.
std::string CantOpenText(const std::string& path);
