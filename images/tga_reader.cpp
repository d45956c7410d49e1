// Truevision TGA files: colour-mapped, true-colour and grey pictures, uncompressed or
// run-length (runs may cross rows), with the origin in any corner. Alpha is dropped; 5-bit
// channels are widened by repeating their bits, as the BMP reader does.
#include "images/picture_file.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kHeaderBytes = 18;

// The header's image type: the kind in the low bits, run-length as a flag; colour map present or not.
enum TgaType : int { kNoPicture = 0, kColourMapped = 1, kTrueColour = 2, kGrey = 3, kKindMask = 7, kRunLength = 8 };
enum TgaMap : int { kNoMap = 0, kHasMap = 1 };

PictureResult Unreadable(const char* why) { return RefusePicture(std::string("The picture could not be read: ") + why + "."); }

uint32_t Widen5(uint32_t v) { return v << 3 | v >> 2; }

// One stored colour of `bits` (15, 16, 24, 32 blue first; 8 or 16 grey first) as 0x00RRGGBB.
uint32_t Colour(const uint8_t* p, int bits, bool grey) {
    if (grey) return uint32_t(p[0]) * 0x010101u;
    if (bits <= 16) {
        const uint32_t v = Le16(p);
        return Widen5(v >> 10 & 31) << 16 | Widen5(v >> 5 & 31) << 8 | Widen5(v & 31);
    }
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

bool ColourBits(int bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

PictureResult ReadTgaBytes(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) return Unreadable("the file is shorter than its header");
    const int mapType = data[1], type = data[2], bits = data[16], descriptor = data[17];
    const uint32_t mapFirst = Le16(data + 3), mapLength = Le16(data + 5), mapBits = data[7];
    const uint32_t width = Le16(data + 12), height = Le16(data + 14);
    const int kind = type & kKindMask;
    const bool mapped = kind == kColourMapped, grey = kind == kGrey, rle = type & kRunLength;
    const bool known = (type & ~(kGrey | kRunLength)) == 0 && kind != kNoPicture && mapType <= kHasMap &&
                       (!mapped || mapType == kHasMap) &&
                       (mapped ? bits == 8 : grey ? bits == 8 || bits == 16 : ColourBits(bits)) &&
                       (mapType == kNoMap || ColourBits(int(mapBits)));
    if (!known) return Unreadable("this kind of TGA picture is not supported");
    if (width == 0 || height == 0) return Unreadable("the picture has no pixels");
    if (PictureTooLarge(width, height)) return RefuseTooLarge(width, height);
    const size_t mapStart = kHeaderBytes + data[0], entryBytes = (mapBits + 7) / 8;
    const size_t pixelStart = mapStart + (mapType ? mapLength * entryBytes : 0);
    if (pixelStart > size) return Unreadable("the file ends inside the colour map");
    std::vector<uint32_t> map(mapped ? mapFirst + mapLength : 0);  // entries before the first stay black
    for (uint32_t i = 0; i < mapLength && mapped; ++i)
        map[mapFirst + i] = Colour(data + mapStart + i * entryBytes, int(mapBits), false);
    const size_t pixelBytes = size_t(bits + 7) / 8, count = size_t(width) * height;
    // The fewest bytes that hold every pixel (runs of 128), checked before allocating.
    if (size - pixelStart < (rle ? (count + 127) / 128 * (1 + pixelBytes) : count * pixelBytes))
        return Unreadable("the file ends inside the picture");
    PictureResult r;
    r.image = Image32(int(width), int(height));
    const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
    size_t pos = pixelStart;
    const auto store = [&](size_t i, const uint8_t* p) {
        const size_t row = i / width, col = i % width;
        const uint32_t c = mapped ? (p[0] < map.size() ? map[p[0]] : 0) : Colour(p, bits, grey);
        r.image.at(int(rightToLeft ? width - 1 - col : col), int(topDown ? row : height - 1 - row)) = c;
    };
    for (size_t i = 0; i < count;) {
        size_t n = 1;
        bool run = false;
        if (rle) {
            if (pos >= size) return Unreadable("the file ends inside the picture");
            run = data[pos] & 0x80;
            n = std::min<size_t>((data[pos++] & 0x7F) + 1, count - i);
        }
        const size_t need = run ? pixelBytes : n * pixelBytes;
        if (size - pos < need) return Unreadable("the file ends inside the picture");
        for (size_t k = 0; k < n; ++k) store(i + k, data + pos + (run ? 0 : k * pixelBytes));
        pos += need;
        i += n;
    }
    r.ok = true;
    return r;
}
