// A picture read a band of rows at a time, as the stereogram's depth, twice from the top: every
// byte of every row handed out is read, so a short row shows. FUZZ_ROWS names the reader (PNG,
// JPEG by scanlines, TIFF by strips).
#include "images/jpeg_loader.h"
#include "images/png_rows.h"
#include "images/tiff_rows.h"

#include <algorithm>

#ifndef FUZZ_ROWS
#define FUZZ_ROWS PngRows
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_ROWS rows;
    RowBlock block;
    volatile uint8_t sum = 0;
    for (int pass = 0, n = 0; pass < 2 && (pass ? rows.rewind() : rows.open(data, size)); ++pass)
        for (int y = 0; y < rows.height() && rows.next(n = std::min(7, rows.height() - y), block); y += n)
            for (int r = 0; r < n; ++r)
                for (int i = 0; i < rows.width() * rows.bpp() / 8; ++i) sum = sum + block.bottomRow[ptrdiff_t(r) * block.rowStep + i];
    return 0;
}
