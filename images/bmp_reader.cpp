// Windows bitmap files: the file's own header, colour table and bits go to the DIB
// converter. Every field that points into the file is checked against its length first.
#include "images/dib.h"
#include "images/picture_file.h"
#include "platform/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

namespace {

constexpr size_t kFileHeaderBytes = 14;

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

UserMessage ErrorOut(const char* errstring, int code) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "Error on %s = %d\n", errstring, code);
    return {"Error", buf};
}

PictureResult refuse(UserMessage m) {
    PictureResult r;
    r.messages.push_back(std::move(m));
    return r;
}

PictureResult refuse(const char* text) { return refuse(UserMessage{"Error", text}); }

// Bytes from the header on that hold the header and a colour table of full size for the
// bit count (colours-used is not consulted). Larger info headers keep their own size, and
// bit counts above 8 that have no table get none.
size_t headerBlockSize(uint32_t headerSize, uint16_t bitCount) {
    if (headerSize == 12) return bitCount <= 8 ? 12 + 3 * (size_t(1) << bitCount) : 12;
    const size_t header = std::max<size_t>(headerSize, 40);
    if (bitCount == 16 || bitCount == 32) return std::max<size_t>(header, 52);
    if (bitCount <= 8) return header + 4 * (size_t(1) << bitCount);
    return header;
}

PictureResult readBmp(const uint8_t* data, size_t size) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return refuse("This is not a DIB bitmap file!");
    if (size < kFileHeaderBytes + 4) return refuse("The file is shorter than its bitmap header!");
    const uint8_t* header = data + kFileHeaderBytes;
    const size_t avail = size - kFileHeaderBytes;
    const uint32_t headerSize = le32(header);
    const bool core = headerSize == 12;
    size_t headerNeeded = core ? 12 : std::max<uint32_t>(headerSize, 40);
    if (!core && avail >= 20 && le32(header + 16) == BI_BITFIELDS) headerNeeded = std::max<size_t>(headerNeeded, 52);
    if (avail < headerNeeded) return refuse("The file is shorter than its bitmap header!");
    const uint16_t bitCount = le16(header + (core ? 10 : 14));
    const size_t block = std::min(headerBlockSize(headerSize, bitCount), avail);
    DibHeader dib;
    if (!ReadDibHeader(header, block, dib)) return refuse(ErrorOut("Fail in creating DIB bitmap from file!", EINVAL));
    if (block < dib.headerBlockBytes()) return refuse("The file is shorter than its colour table!");
    const uint32_t bitsOffset = le32(data + 10);
    if (bitsOffset > size) return refuse("The bitmap bits start past the end of the file!");
    if (size - bitsOffset < dib.bitsBytesNeeded()) return refuse("The file is shorter than its bitmap bits!");

    PictureResult r;
    if (!CreateDIBitmap(header, block, data + bitsOffset, size - bitsOffset, r.image))
        return refuse(ErrorOut("Fail in creating DIB bitmap from file!", EINVAL));
    r.ok = true;
    return r;
}

}  // namespace

PictureResult ReadBmpBytes(const uint8_t* data, size_t size) {
    try {
        return readBmp(data, size);
    } catch (const std::bad_alloc&) {
        return refuse("Fail in Memory Allocation!");
    }
}

// The file is read whole rather than mapped: a mapped file that shrinks kills the reader.
PictureResult LoadBitmapFileCore(const std::string& path) {
    const WholeFile file = ReadWholeFile(path);
    switch (file.fault) {
    case FileFault::Open: return refuse(ErrorOut("Fail in file open", file.error));
    case FileFault::Size: return refuse(ErrorOut("Fail in creating map file", file.error));
    case FileFault::Read: return refuse(ErrorOut("Fail in mapping view of the Map File object", file.error));
    case FileFault::None: break;
    }
    if (file.size == 0) return refuse(ErrorOut("Fail in creating map file", EINVAL));  // as an empty file cannot be mapped
    return ReadBmpBytes(file.data(), file.size);
}
