#pragma once
// Device-independent bitmaps (a header, a colour table and pixel bits) turned into the
// display picture. Stands in for the system's CreateDIBitmap.
#include "images/image32.h"

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_RLE8 = 1;
inline constexpr uint32_t BI_RLE4 = 2;
inline constexpr uint32_t BI_BITFIELDS = 3;

// Bytes per row of a device-independent bitmap: rows are padded to whole 32-bit words.
inline size_t DibStride(int width, int bitsPerPixel) {
    return ((size_t(bitsPerPixel) * size_t(width) + 31) & ~size_t(31)) / 8;
}

// Writes the 40-byte info header of a top-down 8-bit DIB with `colours` table entries, all
// fields not named here 0.
void PutDib8Header(uint8_t* header, uint32_t width, uint32_t height, uint32_t colours);

// Limits checked before anything is allocated.
constexpr int32_t kDibMaxSide = 32768;
constexpr uint64_t kDibMaxPixels = uint64_t(1) << 26;
// Run-length data cannot honestly cover more than this many pixels per byte (a run code is
// two bytes for at most 255 pixels); more means the picture is mostly skipped, a cheap way
// to make us fill a huge picture from a few bytes.
constexpr uint64_t kRlePixelsPerByte = 1024;
constexpr uint64_t kRleFreePixels = uint64_t(1) << 20;

// What a header says, checked against the format and the limits above.
struct DibHeader {
    uint32_t headerSize = 0;     // 12 (core form) or the info header's size
    bool core = false;           // RGB triples in the colour table instead of RGB quads
    int32_t width = 0;           // always positive
    int32_t height = 0;          // always positive
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t sizeImage = 0;
    uint32_t colorsUsed = 0;     // as the header gives it
    uint32_t tableEntries = 0;   // colour-table entries the picture uses (0 above 8 bits)
    size_t tableOffset = 0;      // from the start of the header
    size_t entryBytes = 4;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue, for 16 and 32 bits
    size_t stride = 0;              // bytes per row of uncompressed bits
    // Header bytes the header, its masks and its colour table need.
    size_t headerBlockBytes() const { return tableOffset + size_t(tableEntries) * entryBytes; }
    // Pixel bytes an uncompressed picture needs; 0 for run-length-coded bits.
    size_t bitsBytesNeeded() const;
};

// Reads and checks the header (and where the masks of BI_BITFIELDS lie, that they are
// readable). The colour table itself is not required here. `why` says what is wrong.
bool ReadDibHeader(const uint8_t* header, size_t headerBytes, DibHeader& out, std::string* why = nullptr);

// Converts header + colour table (`headerBytes` readable bytes) and bits (`bitsBytes`
// readable bytes) into `out`, top row first. Colour indices past the colour table give
// black. Run-length-coded pictures start as colour-table entry 0 everywhere; pixels the
// codes skip (delta, early end of line or of bitmap) keep it, and runs past the right
// edge are dropped. Returns false, with `out` untouched, for anything it cannot convert.
bool CreateDIBitmap(const uint8_t* header, size_t headerBytes, const uint8_t* bits, size_t bitsBytes, Image32& out,
                    std::string* why = nullptr);
