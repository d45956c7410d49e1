#pragma once
// PNG files read a few rows at a time, from the top, as the stereogram's depth rows: the
// whole picture is never held (an interlaced file excepted, whose passes need every row).
#include "images/picture_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class PngRows {
public:
    PngRows();
    ~PngRows();
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    // Reads the header of the file at `path` (or of `size` bytes at `data`, which must stay).
    // False when it is no PNG or cannot be read; failure() then says why, as the PNG loader.
    bool open(const std::string& path);
    bool open(const uint8_t* data, size_t size);
    int width() const { return width_; }
    int height() const { return height_; }
    // Rows of 16-bit grey values (high byte first, 2 bytes a pixel) for a 16-bit grey file; of
    // 8-bit grey values for a grey file of up to 8 bits (scaled to 0..255); of 3-byte pixels
    // (blue, green, red) for any other, as ReadPngBytes gives them.
    bool wideGrey() const { return wide_; }
    int bpp() const { return wide_ ? 16 : storedGrey_ ? 8 : 24; }
    // Stored as grey: every pixel has R = G = B.
    bool storedGrey() const { return storedGrey_; }
    // The next `count` rows from the top into `block`: the last of them at block.bottomRow,
    // the ones above it rowStep (negative) bytes on. False on a truncated or damaged file.
    bool next(int count, RowBlock& block);
    // Back to the first row. False when the file no longer reads.
    bool rewind();
    // The loader's refusal after a false open, next or rewind.
    PictureResult failure() const;

    struct Decoder;  // libpng's state, in the source

private:
    bool start();

    std::string path_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::unique_ptr<Decoder> d_;
    int width_ = 0, height_ = 0, row_ = 0;
    bool wide_ = false, storedGrey_ = false;
};

// Every row of a PngRows just opened or rewound, `step` at a time, as a display picture (16-bit
// grey: its high bytes, the values beside it). False when a read fails (png.failure() says
// why); std::bad_alloc when the picture does not fit.
bool ReadPngPicture(PngRows& png, int step, Image32& img);
