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

// A picture whose rows are read where they lie: a BMP file of plain 24- or 32-bit rows keeps
// its bytes (bottomRow, rowStep and bpp describe its rows, picture.image stays empty); any
// other file is decoded into picture.image. picture.ok and the messages as ReadPictureFile.
struct PictureRows {
    PictureResult picture;
    WholeFile file;
    const uint8_t* bottomRow = nullptr;  // null when the picture was decoded
    ptrdiff_t rowStep = 0;               // bytes from a row to the one above it
    int width = 0, height = 0, bpp = 0;
};
PictureRows ReadPictureRows(const std::string& path);

// Any picture the program opens. On failure the messages end with the dispatch's message
// (or "Can't open file: %s" for a path no picture row takes).
PictureResult ReadPictureFile(const std::string& path);
