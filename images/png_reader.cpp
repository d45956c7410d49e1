// PNG files as a display picture, read through the band reader (images/png_rows.h) a few rows at
// a time straight into it: no second copy of the picture is held. 16-bit grey is kept whole
// beside the display picture, which shows its high bytes.
#include "images/picture_file.h"
#include "images/png_rows.h"

#include <algorithm>
#include <new>

PictureResult ReadPngBytes(const uint8_t* data, size_t size) {
    PngRows png;
    if (!png.open(data, size)) return png.failure();
    try {
        PictureResult r;
        if (!ReadPictureRows(png, 64, r.image)) return png.failure();
        r.ok = true;
        return r;
    } catch (const std::bad_alloc&) {
        return RefusePicture(NotEnoughMemoryFor(png.width(), png.height()));
    }
}
