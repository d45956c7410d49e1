#pragma once
// TIFF files read a band of scanlines at a time from the top through libtiff
// (images/picture_rows.h): strips of grey (black at 0) or RGB samples, 8 or 16 bits, one plane,
// stored top row first. Other layouts (tiles, palettes, alpha, CMYK...) are left to the
// picture loaders.
#include "images/picture_rows.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TiffRows : public PictureRows {
public:
    TiffRows();
    ~TiffRows() override;
    TiffRows(const TiffRows&) = delete;
    TiffRows& operator=(const TiffRows&) = delete;

    // open() is false also when the layout is not one of the above.
    bool next(int count, RowBlock& block) override;
    PictureResult failure() const override;

    struct Decoder;  // libtiff's state, in the source

private:
    bool start() override;

    std::unique_ptr<Decoder> d_;
};
