// PNG read a band of rows at a time, as the stereogram's depth: every row handed out is read
// whole (so a short one shows), a read that fails says why, and a second pass from the top works.
#include "images/png_rows.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PngRows png;
    if (!png.open(data, size)) return png.failure().messages.empty() ? (std::abort(), 0) : 0;
    const size_t rowBytes = size_t(png.width()) * size_t(png.bpp() / 8);
    volatile uint8_t sum = 0;
    RowBlock block;
    for (int pass = 0; pass < 2 && (pass == 0 || png.rewind()); ++pass)
        for (int y = 0, step = 7; y < png.height(); y += step) {
            const int n = std::min(step, png.height() - y);
            if (!png.next(n, block)) {
                if (png.failure().messages.empty()) std::abort();
                break;
            }
            for (int r = 0; r < n; ++r)
                for (size_t i = 0; i < rowBytes; ++i) sum = sum + block.bottomRow[ptrdiff_t(r) * block.rowStep + ptrdiff_t(i)];
        }
    return 0;
}
