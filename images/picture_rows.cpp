#include "images/picture_rows.h"

#include "images/jpeg_loader.h"
#include "images/png_rows.h"
#include "images/tiff_rows.h"
#include "platform/whole_file.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<PictureRows> OpenPictureRows(const std::string& path) {
    // The format by its first bytes, as the loaders tell it.
    uint8_t head[8] = {};
    FileParts file;
    if (!file.open(path) || file.size() < sizeof head || !file.read(head, sizeof head, 0)) return nullptr;
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(head, png, 8) == 0) {
        auto rows = std::make_unique<PngRows>();
        return rows->open(path) ? std::move(rows) : nullptr;
    }
    if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
        auto rows = std::make_unique<JpegFileRows>();
        return rows->open(path) ? std::move(rows) : nullptr;
    }
    if ((std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0)) {
        auto rows = std::make_unique<TiffRows>();
        return rows->open(path) ? std::move(rows) : nullptr;
    }
    return nullptr;
}

bool ReadPictureRows(PictureRows& rows, int step, Image32& img) {
    img = Image32(rows.width(), rows.height());
    if (rows.wideGrey()) img.grey16.resize(img.px.size());
    const int bytes = rows.bpp() / 8;
    RowBlock block;
    for (int y = 0, n; y < img.height; y += n) {
        if (!rows.next(n = std::min(step, img.height - y), block)) return false;
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

