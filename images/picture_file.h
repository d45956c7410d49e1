#pragma once
// Picture files as the program reads them, without any window: each loader takes a path
// (or bytes) and returns the picture or the messages the user is to see, in order.
#include "documents/file_kind.h"
#include "images/image32.h"
#include "platform/whole_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct PictureResult {
    bool ok = false;
    Image32 image;
    std::vector<UserMessage> messages;  // the loader's own messages
    uint16_t NumColors = 0;             // as the loader sets them in BMP_DATA
    uint16_t BitsPerPixel = 0;
    bool unknown = false;               // refused before any reader took it: no reader knows the
                                        // content, or the file did not read
};

// The dispatch's own message after a failed load of a picture kind ("Error reading bitmap!",
// ...); a sound's loader says why itself, so it has none.
const char* DispatchFailureText(FileKind kind);

// The readers of the everyday formats (PNG, PGM, TGA and Qt's) take pictures up to 32768 a
// side and 2^26 pixels in all, as the BMP reader does.
constexpr int kMaxPictureSide = 32768;
constexpr uint64_t kMaxPicturePixels = uint64_t(1) << 26;
bool PictureTooLarge(uint64_t width, uint64_t height);
PictureResult RefusePicture(const std::string& text);  // one "Error" box
PictureResult RefuseTooLarge(uint64_t width, uint64_t height);

PictureResult LoadBitmapFileCore(const std::string& path);
PictureResult ReadBmpBytes(const uint8_t* data, size_t size);
PictureResult LoadGifFileCore(const std::string& path);
PictureResult ReadGifBytes(const uint8_t* data, size_t size);
PictureResult LoadJpegFileCore(const std::string& path);
PictureResult ReadJpegBytes(const uint8_t* data, size_t size);
// PNG through libpng, a few rows at a time into the picture (images/png_rows.h): 16-bit grey
// (with or without alpha) also in Image32::grey16; alpha and a transparent colour dropped,
// leaving the stored colour; libpng's reason on refusal.
PictureResult ReadPngBytes(const uint8_t* data, size_t size);
// PGM (P2, P5) with a maximum value above 255: 16-bit grey, scaled to 65535 where the
// maximum is lower. IsWidePgm is false for any other file (other PNM goes to Qt).
bool IsWidePgm(const uint8_t* data, size_t size);
PictureResult ReadWidePgmBytes(const uint8_t* data, size_t size);
// TGA: uncompressed and run-length, 8-bit grey, colour-mapped, 15/16/24/32-bit, any origin.
PictureResult ReadTgaBytes(const uint8_t* data, size_t size);

// The loader of a picture row (Bmp, Gif, Jpeg) with its own messages only; `other` reads a
// path that no row of the extension table takes (null: refused with "Can't open file: %s").
using PictureFileReader = PictureResult (*)(const std::string& path);
PictureResult LoadPictureOfKind(FileKind kind, const std::string& path, PictureFileReader other = nullptr);

// Rows of a picture read into one buffer: the lowest at bottomRow, each next one rowStep
// bytes on. The buffer grows as reads need.
struct RowBlock {
    std::unique_ptr<uint8_t[]> bytes;
    size_t capacity = 0;
    const uint8_t* bottomRow = nullptr;
    ptrdiff_t rowStep = 0;
};

// A BMP file of plain 24- or 32-bit rows, read a block of rows at a time from where they lie
// in the file: a pass over the rows never holds the whole picture.
class PlainBmpRows {
public:
    // False for any other file, which the picture loaders then read (and refuse with their
    // messages).
    bool open(const std::string& path);
    int width() const { return width_; }
    int height() const { return height_; }
    int bpp() const { return bpp_; }
    // Rows first..first + count - 1, counted from the bottom, into `block`; safe from several
    // threads at once. False when the file no longer holds them or memory runs out; failure()
    // then has the BMP loader's message (for the first such read).
    bool read(int first, int count, RowBlock& block);
    PictureResult failure() const;

private:
    FileParts file_;
    int width_ = 0, height_ = 0, bpp_ = 0;
    bool topDown_ = false;
    size_t stride_ = 0;
    uint64_t bitsOffset_ = 0;
    mutable std::mutex faultLock_;
    WholeFile fault_;
};

// Any picture the program opens. On failure the messages end with the dispatch's message
// ("Can't open file: %s" for a path no picture row takes).
PictureResult ReadPictureFile(const std::string& path, PictureFileReader other = nullptr);
// "Can't open file: %s" with the path, as the dispatch shows it.
std::string CantOpenText(const std::string& path);
