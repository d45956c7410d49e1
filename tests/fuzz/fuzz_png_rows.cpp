// PNG read a band of rows at a time, as the stereogram's depth, twice from the top: every byte
// of every row handed out is read, so a short row shows.
#include "images/png_rows.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PngRows png;
    RowBlock block;
    volatile uint8_t sum = 0;
    for (int pass = 0, n = 0; pass < 2 && (pass ? png.rewind() : png.open(data, size)); ++pass)
        for (int y = 0; y < png.height() && png.next(n = std::min(7, png.height() - y), block); y += n)
            for (int r = 0; r < n; ++r)
                for (int i = 0; i < png.width() * png.bpp() / 8; ++i) sum = sum + block.bottomRow[ptrdiff_t(r) * block.rowStep + i];
    return 0;
}
