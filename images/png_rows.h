#pragma once
// PNG files read a few rows at a time, from the top (images/picture_rows.h).
#include "images/picture_rows.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class PngRows : public PictureRows {
public:
    PngRows();
    ~PngRows() override;
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    // open() is false when it is no PNG or cannot be read, failure() saying why as the PNG
    // loader; rows come as ReadPngBytes reads them.
    bool next(int count, RowBlock& block) override;
    PictureResult failure() const override;

    struct Decoder;  // libpng's state, in the source

private:
    bool start() override;

    std::unique_ptr<Decoder> d_;
};
