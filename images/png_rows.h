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

    // Reads the header of the file at `path` (or of `size` bytes at `data`, which must stay).
    // False when it is no PNG or cannot be read; failure() then says why, as the PNG loader.
    // Rows come as PictureRows gives them, as ReadPngBytes reads them.
    bool open(const std::string& path);
    bool open(const uint8_t* data, size_t size);
    bool next(int count, RowBlock& block) override;
    bool rewind() override;
    PictureResult failure() const override;

    struct Decoder;  // libpng's state, in the source

private:
    bool start();

    std::string path_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::unique_ptr<Decoder> d_;
};
