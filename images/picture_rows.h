#pragma once
// Pictures read a band of rows at a time from the top, as the stereogram's depth rows: PNG,
// JPEG and TIFF strips, through their libraries' row interfaces. The whole picture is never
// held (an interlaced PNG excepted, whose passes need every row).
#include "images/image32.h"
#include "images/picture_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class PictureRows {
public:
    virtual ~PictureRows() = default;
    int width() const { return width_; }
    int height() const { return height_; }
    // Rows of 16-bit grey values (high byte first, 2 bytes a pixel) for a 16-bit grey picture;
    // of 8-bit grey values for a grey one of up to 8 bits (scaled to 0..255); of 3-byte pixels
    // (blue, green, red, 8 bits each: a 16-bit colour's high bytes) for any other.
    bool wideGrey() const { return wide_; }
    int bpp() const { return wide_ ? 16 : storedGrey_ ? 8 : 24; }
    // Stored as grey: every pixel has R = G = B.
    bool storedGrey() const { return storedGrey_; }
    // The next `count` rows from the top into `block`: the last of them at block.bottomRow,
    // the ones above it rowStep (negative) bytes on, each width() x bpp() / 8 bytes. False on a
    // truncated or damaged file.
    virtual bool next(int count, RowBlock& block) = 0;
    // Reads the header of the file at `path` (or of `size` bytes at `data`, which must stay).
    // False when it does not read; failure() then says why.
    bool open(const std::string& path) {
        path_ = path;
        data_ = nullptr;
        return start();
    }
    bool open(const uint8_t* data, size_t size) {
        path_.clear();
        data_ = data;
        size_ = size;
        return start();
    }
    // Back to the first row. False when the file no longer reads.
    bool rewind() { return start(); }
    // The reader's refusal after a false open, next or rewind.
    virtual PictureResult failure() const = 0;

protected:
    // Opens the file or bytes afresh and reads the header.
    virtual bool start() = 0;

    std::string path_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    int width_ = 0, height_ = 0, row_ = 0;
    bool wide_ = false, storedGrey_ = false;
};

// The row reader of the file at `path`, its header read: a PNG, a JPEG in grey or colour, or
// a TIFF of grey or RGB strips, 8 or 16 bits a sample. Null for any other file or layout, and
// for a file whose header does not read: the picture loaders then take it (and refuse it with
// their messages).
std::unique_ptr<PictureRows> OpenPictureRows(const std::string& path);

// Every row of a reader just opened or rewound, `step` at a time, as a display picture (16-bit
// grey: its high bytes, the values beside it). False when a read fails (rows.failure() says
// why); std::bad_alloc when the picture does not fit.
bool ReadPictureRows(PictureRows& rows, int step, Image32& img);
