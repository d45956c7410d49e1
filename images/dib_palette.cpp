#include "images/dib_palette.h"

namespace {
uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
}  // namespace

std::vector<uint32_t> MakeDIBPalette(const uint8_t* lpInfo, size_t size) {
    if (size < 40) return {};
    const uint32_t headerSize = le32(lpInfo);
    const uint32_t used = le32(lpInfo + 32);
    if (used == 0 || headerSize > size || (size - headerSize) / 4 < used) return {};
    std::vector<uint32_t> pal(used);
    const uint8_t* q = lpInfo + headerSize;
    for (uint32_t i = 0; i < used; ++i, q += 4) pal[i] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
    return pal;
}
