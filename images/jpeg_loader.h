#pragma once
// JPEG files through libjpeg-turbo: the picture is decoded into 24-bit blue-green-red rows,
// top row first, each padded to a multiple of 4 bytes, then into the display picture.
#include "images/image32.h"
#include "images/picture_rows.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Largest picture the loader builds (pixels); larger files are refused.
constexpr uint64_t kJpegMaxPixels = uint64_t(1) << 26;

// An uncompressed 24-bit picture in memory.
struct tDIB {
    int x = 0;                     // width in pixels
    int y = 0;                     // height in pixels
    int l = 0;                     // bytes per row: 3 * x rounded up to a multiple of 4
    std::vector<unsigned char> b;  // rows top row first, blue, green, red per pixel
};

// Decodes a whole JPEG file held in memory into `B`. Returns 1 on success and 0 when the
// data is not a JPEG the library decodes completely (not a JPEG, corrupt, truncated,
// unsupported, too large); `B` is then left empty. Greyscale shows grey, CMYK and YCCK
// are converted to RGB.
int LoadJPEG(const uint8_t* data, size_t size, tDIB* B);

// Where decoded rows go, top row first. `start` learns the size before anything is decoded
// and returns false to refuse the picture (no memory); `row(y)` is the memory of row y;
// `done(first, count)` is called when those rows are complete and returns false to stop.
struct JpegRows {
    int bytes = 3;  // per pixel: 3 for blue, green, red; 4 adds a fourth byte of no meaning
    std::function<bool(int width, int height)> start;
    std::function<uint8_t*(int y)> row;
    std::function<bool(int first, int count)> done;
};

// Decodes a whole JPEG file held in memory into `rows`. Returns 1 when every row was decoded
// and the file was whole and sound; 0 otherwise (some rows may have been written).
int DecodeJpeg(const uint8_t* data, size_t size, const JpegRows& rows);

// The display picture from a descriptor. Returns 1, or 0 for a descriptor whose buffer
// does not hold its rows.
int CreateDDBfromDIB(const tDIB& b, Image32* out);

// orvalis-cli picture for a JPEG file: its rows go into the BMP file as they are decoded.
// Returns true when the file was written; on failure `writeFailed` says whether the output
// (rather than the picture) was at fault, and no partial output is left behind.
bool JpegFileToBmp24(const std::string& in, const std::string& out, bool& writeFailed);

// JPEG files decoded a band of scanlines at a time from the top (images/picture_rows.h): grey
// files as grey rows, colour ones as blue, green, red, the pixels LoadJPEG gives. A progressive
// file is held by the library as coefficients until its last scan.
class JpegFileRows : public PictureRows {
public:
    JpegFileRows();
    ~JpegFileRows() override;
    JpegFileRows(const JpegFileRows&) = delete;
    JpegFileRows& operator=(const JpegFileRows&) = delete;

    // open() is false also for CMYK and pictures too large, left to LoadJPEG.
    bool next(int count, RowBlock& block) override;
    PictureResult failure() const override;

    struct Decoder;  // libjpeg's state, in the source

private:
    bool start() override;

    std::unique_ptr<Decoder> d_;
};
