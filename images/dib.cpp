#include "images/dib.h"

#include "platform/little_endian.h"
#include "platform/parallel.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdlib>
#include <vector>

namespace {

bool fail(std::string* why, const char* text) {
    if (why) *why = text;
    return false;
}

bool knownInfoSize(uint32_t size) {
    switch (size) {
    case 40: case 52: case 56: case 64: case 108: case 124: return true;
    default: return false;
    }
}

bool compressionFits(uint32_t compression, uint16_t bitCount) {
    switch (compression) {
    case BI_RGB: return true;
    case BI_RLE8: return bitCount == 8;
    case BI_RLE4: return bitCount == 4;
    case BI_BITFIELDS: return bitCount == 16 || bitCount == 32;
    default: return false;
    }
}

bool readCoreHeader(const uint8_t* h, size_t n, DibHeader& d, std::string* why) {
    if (n < 12) return fail(why, "core header cut short");
    d.core = true;
    d.width = Le16(h + 4);
    d.height = Le16(h + 6);
    d.bitCount = Le16(h + 10);
    d.entryBytes = 3;
    d.tableOffset = 12;
    if (d.bitCount != 1 && d.bitCount != 4 && d.bitCount != 8 && d.bitCount != 24)
        return fail(why, "unsupported bit count");
    return true;
}

bool readInfoHeader(const uint8_t* h, size_t n, DibHeader& d, std::string* why) {
    if (!knownInfoSize(d.headerSize)) return fail(why, "unknown header size");
    if (n < d.headerSize) return fail(why, "info header cut short");
    const int32_t width = int32_t(Le32(h + 4));
    const int64_t height = int32_t(Le32(h + 8));
    d.bitCount = Le16(h + 14);
    d.compression = Le32(h + 16);
    d.sizeImage = Le32(h + 20);
    d.colorsUsed = Le32(h + 32);
    if (width < 0) return fail(why, "negative width");
    d.topDown = height < 0;
    if (std::abs(height) > kDibMaxSide) return fail(why, "picture too large");
    d.width = width;
    d.height = int32_t(std::abs(height));
    if (d.bitCount != 1 && d.bitCount != 4 && d.bitCount != 8 && d.bitCount != 16 && d.bitCount != 24 &&
        d.bitCount != 32)
        return fail(why, "unsupported bit count");
    if (!compressionFits(d.compression, d.bitCount)) return fail(why, "unsupported compression");
    if (d.topDown && (d.compression == BI_RLE8 || d.compression == BI_RLE4))
        return fail(why, "run-length-coded bitmaps cannot be top-down");
    d.tableOffset = d.headerSize;
    if (d.compression == BI_BITFIELDS) {
        // The masks follow a 40-byte header and lie inside the larger ones.
        d.tableOffset = std::max<size_t>(d.headerSize, 52);
        if (n < 52) return fail(why, "colour masks cut short");
        for (int i = 0; i < 3; ++i) d.masks[i] = Le32(h + 40 + 4 * i);
    } else if (d.bitCount == 16) {
        d.masks[0] = 0x7C00, d.masks[1] = 0x03E0, d.masks[2] = 0x001F;
    } else if (d.bitCount == 32) {
        d.masks[0] = 0xFF0000, d.masks[1] = 0xFF00, d.masks[2] = 0xFF;
    }
    return true;
}

// One colour channel of a 16- or 32-bit pixel, widened to 8 bits by repeating its bit
// pattern (so the largest value gives 255) or narrowed to its top 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m);
        }
    }
    bool contiguous() const { return !mask || std::countl_zero(mask) + bits + shift == 32; }
    uint32_t operator()(uint32_t px) const {
        if (!bits) return 0;
        const uint32_t v = (px & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        uint32_t r = 0;
        int filled = 0;
        for (; filled < 8; filled += bits) r = r << bits | v;
        return r >> (filled - 8);
    }
};

std::vector<uint32_t> readColorTable(const DibHeader& d, const uint8_t* header) {
    std::vector<uint32_t> pal(256, 0);  // entries past the table stay black
    const uint8_t* q = header + d.tableOffset;
    for (uint32_t i = 0; i < d.tableEntries; ++i, q += d.entryBytes)
        pal[i] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
    return pal;
}

void convertRow(const DibHeader& d, const uint8_t* r, const std::vector<uint32_t>& pal, const Channel* ch,
                uint32_t* o) {
    const int w = d.width;
    switch (d.bitCount) {
    case 1:
        for (int x = 0; x < w; ++x) o[x] = pal[(r[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (int x = 0; x < w; ++x) o[x] = pal[(x & 1 ? r[x >> 1] : r[x >> 1] >> 4) & 15];
        break;
    case 8:
        for (int x = 0; x < w; ++x) o[x] = pal[r[x]];
        break;
    case 16:
        for (int x = 0; x < w; ++x) {
            const uint32_t p = Le16(r + 2 * x);
            o[x] = ch[0](p) << 16 | ch[1](p) << 8 | ch[2](p);
        }
        break;
    case 24:
        for (int x = 0; x < w; ++x) o[x] = uint32_t(r[3 * x + 2]) << 16 | uint32_t(r[3 * x + 1]) << 8 | r[3 * x];
        break;
    case 32:
        for (int x = 0; x < w; ++x) {
            const uint32_t p = Le32(r + 4 * x);
            o[x] = ch[0](p) << 16 | ch[1](p) << 8 | ch[2](p);
        }
        break;
    }
}

// Decodes run-length codes into colour indices, bottom row first in the codes, top row
// first in `idx`. Fails on codes cut off by the end of the data and on data that ends
// before the end-of-bitmap code while rows are still missing.
bool decodeRle(const DibHeader& d, const uint8_t* b, size_t n, std::vector<uint8_t>& idx, std::string* why) {
    const bool four = d.compression == BI_RLE4;
    const int64_t w = d.width, h = d.height;
    int64_t x = 0, y = 0;
    auto put = [&](int64_t px, uint8_t v) {
        if (px < w) idx[size_t(h - 1 - y) * size_t(w) + size_t(px)] = v;
    };
    size_t p = 0;
    while (y < h) {
        if (n - p < 2) {
            // A last row filled to its end needs no end-of-bitmap code after it.
            if (y == h - 1 && x == w) return true;
            return fail(why, "run-length data ends before the end of the bitmap");
        }
        const uint8_t count = b[p], value = b[p + 1];
        p += 2;
        if (count) {
            for (int i = 0; i < count && x + i < w; ++i) put(x + i, four ? (i & 1 ? value & 15 : value >> 4) : value);
            x = std::min(x + count, w);
            continue;
        }
        switch (value) {
        case 0: x = 0, ++y; break;
        case 1: return true;
        case 2:
            if (n - p < 2) return fail(why, "run-length delta cut off");
            x = std::min<int64_t>(x + b[p], w);
            y += b[p + 1];
            p += 2;
            break;
        default: {
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (n - p < bytes) return fail(why, "run-length absolute run cut off");
            for (int i = 0; i < value && x + i < w; ++i) {
                const uint8_t v = four ? (i & 1 ? b[p + i / 2] & 15 : b[p + i / 2] >> 4) : b[p + i];
                put(x + i, v);
            }
            x = std::min<int64_t>(x + value, w);
            p += std::min(bytes + (bytes & 1), n - p);  // runs keep 16-bit alignment
        }
        }
    }
    return true;  // every row is reached; what follows does not matter
}

}  // namespace

size_t DibHeader::bitsBytesNeeded() const {
    if (compression == BI_RLE8 || compression == BI_RLE4) return 0;
    return stride * size_t(height);
}

bool ReadDibHeader(const uint8_t* header, size_t headerBytes, DibHeader& out, std::string* why) {
    DibHeader d;
    if (headerBytes < 4) return fail(why, "header cut short");
    d.headerSize = Le32(header);
    if (!(d.headerSize == 12 ? readCoreHeader(header, headerBytes, d, why) : readInfoHeader(header, headerBytes, d, why)))
        return false;
    if (d.width == 0 || d.height == 0) return fail(why, "empty picture");
    if (d.width > kDibMaxSide || uint64_t(d.width) * uint64_t(d.height) > kDibMaxPixels)
        return fail(why, "picture too large");
    if (d.bitCount <= 8) {
        const uint32_t full = 1u << d.bitCount;
        d.tableEntries = !d.core && d.colorsUsed && d.colorsUsed < full ? d.colorsUsed : full;
    }
    d.stride = DibStride(d.width, int(d.bitCount));
    for (uint32_t m : d.masks)
        if (!Channel(m).contiguous()) return fail(why, "colour mask not contiguous");
    out = d;
    return true;
}

void PutDib8Header(uint8_t* header, uint32_t width, uint32_t height, uint32_t colours) {
    std::memset(header, 0, 40);
    PutLe32(header, 40);
    PutLe32(header + 4, width);
    PutLe32(header + 8, uint32_t(-int32_t(height)));  // top-down rows
    header[12] = 1;                                   // planes
    header[14] = 8;                                   // bits per pixel
    PutLe32(header + 20, uint32_t(DibStride(int(width), 8) * height));
    PutLe32(header + 32, colours);                    // colours used
}

bool CreateDIBitmap(const uint8_t* header, size_t headerBytes, const uint8_t* bits, size_t bitsBytes, Image32& out,
                    std::string* why) {
    DibHeader d;
    if (!ReadDibHeader(header, headerBytes, d, why)) return false;
    if (headerBytes < d.headerBlockBytes()) return fail(why, "colour table cut short");
    if (bitsBytes < d.bitsBytesNeeded()) return fail(why, "pixel bits cut short");
    if ((d.compression == BI_RLE8 || d.compression == BI_RLE4) &&
        uint64_t(d.width) * uint64_t(d.height) > kRleFreePixels + kRlePixelsPerByte * bitsBytes)
        return fail(why, "picture too large for its run-length data");
    const std::vector<uint32_t> pal = readColorTable(d, header);
    Image32 img(d.width, d.height);
    if (d.compression == BI_RLE8 || d.compression == BI_RLE4) {
        std::vector<uint8_t> idx(img.px.size(), 0);
        if (!decodeRle(d, bits, bitsBytes, idx, why)) return false;
        std::transform(idx.begin(), idx.end(), img.px.begin(), [&](uint8_t i) { return pal[i]; });
    } else {
        const Channel ch[3] = {Channel(d.masks[0]), Channel(d.masks[1]), Channel(d.masks[2])};
        ParallelFor(0, d.height, 32, [&](int first, int last) {
            for (int y = first; y < last; ++y) {
                const size_t src = size_t(d.topDown ? y : d.height - 1 - y);
                convertRow(d, bits + src * d.stride, pal, ch, &img.px[size_t(y) * size_t(d.width)]);
            }
        });
    }
    out = std::move(img);
    return true;
}
