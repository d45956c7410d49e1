#include "images/dib_palette.h"

#include "platform/little_endian.h"

std::vector<uint32_t> MakeDIBPalette(const uint8_t* info, size_t size) {
    if (size < 40) return {};
    const uint32_t headerSize = Le32(info);
    const uint32_t used = Le32(info + 32);
    if (used == 0 || headerSize > size || (size - headerSize) / 4 < used) return {};
    std::vector<uint32_t> pal(used);
    const uint8_t* q = info + headerSize;
    for (uint32_t i = 0; i < used; ++i, q += 4) pal[i] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
    return pal;
}
