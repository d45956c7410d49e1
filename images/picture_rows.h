#pragma once
// Pictures read a band of rows at a time from the top, as the stereogram's depth rows: PNG,
// JPEG and TIFF strips, through their libraries' row interfaces. The whole picture is never
// held (an interlaced PNG excepted, whose passes need every row).
#include "images/image32.h"
#include "images/picture_file.h"

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
    // Back to the first row. False when the file no longer reads.
    virtual bool rewind() = 0;
    // The reader's refusal after a false open, next or rewind.
    virtual PictureResult failure() const = 0;

protected:
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
