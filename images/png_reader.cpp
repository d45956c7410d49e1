// PNG files as a display picture, read through the band reader (images/png_rows.h) a few rows at
// a time straight into it: no second copy of the picture is held. 16-bit grey is kept whole
// beside the display picture, which shows its high bytes.
#include "images/picture_file.h"
#include "images/png_rows.h"

#include <algorithm>
#include <new>

bool ReadPngPicture(PngRows& png, int step, Image32& img) {
    img = Image32(png.width(), png.height());
    if (png.wideGrey()) img.grey16.resize(img.px.size());
    const int bytes = png.bpp() / 8;
    RowBlock block;
    for (int y = 0, n; y < img.height; y += n) {
        if (!png.next(n = std::min(step, img.height - y), block)) return false;
        for (int r = 0; r < n; ++r) {
            const uint8_t* p = block.bottomRow + ptrdiff_t(n - 1 - r) * block.rowStep;
            const size_t at = size_t(y + r) * size_t(img.width);
            for (size_t x = 0; x < size_t(img.width); ++x, p += bytes) {
                if (bytes == 2) img.grey16[at + x] = uint16_t(p[0] << 8 | p[1]);
                img.px[at + x] = bytes == 3 ? uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0] : p[0] * 0x010101u;
            }
        }
    }
    return true;
}

PictureResult ReadPngBytes(const uint8_t* data, size_t size) {
    PngRows png;
    if (!png.open(data, size)) return png.failure();
    try {
        PictureResult r;
        if (!ReadPngPicture(png, 64, r.image)) return png.failure();
        r.ok = true;
        return r;
    } catch (const std::bad_alloc&) {
        return RefusePicture(NotEnoughMemoryFor(png.width(), png.height()));
    }
}
