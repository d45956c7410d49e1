// Windows bitmap files: the file's own header, colour table and bits go to the DIB
// converter. Every field that points into the file is checked against its length first.
#include "images/dib.h"
#include "images/picture_file.h"
#include "platform/little_endian.h"
#include "platform/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

namespace {

constexpr size_t kFileHeaderBytes = 14;

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

// The checks of a BMP file before its bits are converted: false with the refusal in `r`.
struct CheckedBmp {
    DibHeader dib;
    const uint8_t* header = nullptr;
    size_t block = 0;
    uint32_t bitsOffset = 0;
};

// `size` bytes of the file are at `data`; the file itself has `fileSize`.
bool checkBmp(const uint8_t* data, size_t size, CheckedBmp& c, PictureResult& r, uint64_t fileSize) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return r = refuse("This is not a DIB bitmap file!"), false;
    if (size < kFileHeaderBytes + 4) return r = refuse("The file is shorter than its bitmap header!"), false;
    c.header = data + kFileHeaderBytes;
    const size_t avail = size - kFileHeaderBytes;
    const uint32_t headerSize = Le32(c.header);
    const bool core = headerSize == 12;
    size_t headerNeeded = core ? 12 : std::max<uint32_t>(headerSize, 40);
    if (!core && avail >= 20 && Le32(c.header + 16) == BI_BITFIELDS) headerNeeded = std::max<size_t>(headerNeeded, 52);
    if (avail < headerNeeded) return r = refuse("The file is shorter than its bitmap header!"), false;
    const uint16_t bitCount = Le16(c.header + (core ? 10 : 14));
    c.block = std::min(headerBlockSize(headerSize, bitCount), avail);
    if (!ReadDibHeader(c.header, c.block, c.dib))
        return r = refuse(ErrorOut("Fail in creating DIB bitmap from file!", EINVAL)), false;
    if (c.block < c.dib.headerBlockBytes()) return r = refuse("The file is shorter than its colour table!"), false;
    c.bitsOffset = Le32(data + 10);
    if (c.bitsOffset > fileSize) return r = refuse("The bitmap bits start past the end of the file!"), false;
    if (fileSize - c.bitsOffset < c.dib.bitsBytesNeeded())
        return r = refuse("The file is shorter than its bitmap bits!"), false;
    return true;
}

PictureResult readBmp(const uint8_t* data, size_t size) {
    CheckedBmp c;
    PictureResult r;
    if (!checkBmp(data, size, c, r, size)) return r;
    if (!CreateDIBitmap(c.header, c.block, data + c.bitsOffset, size - c.bitsOffset, r.image))
        return refuse(ErrorOut("Fail in creating DIB bitmap from file!", EINVAL));
    r.ok = true;
    return r;
}

PictureResult bmpFileFault(const WholeFile& file) {
    switch (file.fault) {
    case FileFault::Open: return refuse(ErrorOut("Fail in file open", file.error));
    case FileFault::Size: return refuse(ErrorOut("Fail in creating map file", file.error));
    case FileFault::Read: return refuse(ErrorOut("Fail in mapping view of the Map File object", file.error));
    case FileFault::None: break;
    }
    return refuse(ErrorOut("Fail in creating map file", EINVAL));  // as an empty file cannot be mapped
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
    if (!file || file.size == 0) return bmpFileFault(file);
    return ReadBmpBytes(file.data(), file.size);
}

bool PlainBmpRows::open(const std::string& path) {
    if (DispatchKind(path) != FileKind::Bmp || !file_.open(path)) return false;
    // Headers and colour tables are far shorter; a file whose bits start later is read whole.
    const size_t held = size_t(std::min<uint64_t>(file_.size(), 65536));
    std::unique_ptr<uint8_t[]> head(new (std::nothrow) uint8_t[held]);
    CheckedBmp c;
    PictureResult refusal;
    const DibHeader& d = c.dib;
    if (!head || !file_.read(head.get(), held, 0) || !checkBmp(head.get(), held, c, refusal, file_.size()) ||
        d.compression != BI_RGB || (d.bitCount != 24 && d.bitCount != 32))
        return false;
    width_ = d.width;
    height_ = d.height;
    bpp_ = d.bitCount;
    topDown_ = d.topDown;
    stride_ = d.stride;
    bitsOffset_ = c.bitsOffset;
    return true;
}

bool PlainBmpRows::read(int first, int count, RowBlock& block) {
    const size_t bytes = size_t(count) * stride_;
    WholeFile fault;
    if (bytes > block.capacity) {
        block.bytes.reset(new (std::nothrow) uint8_t[bytes]);
        block.capacity = block.bytes ? bytes : 0;
    }
    if (!block.bytes) {
        fault.fault = FileFault::Size;
        fault.error = ENOMEM;
    } else {
        // A top-down file holds the rows from the top: the block's rows lie in it top first.
        const int fileRow = topDown_ ? height_ - first - count : first;
        fault = file_.read(block.bytes.get(), bytes, bitsOffset_ + uint64_t(fileRow) * stride_);
    }
    if (!fault) {
        const std::lock_guard<std::mutex> hold(faultLock_);
        if (fault_.fault == FileFault::None) fault_ = std::move(fault);
        return false;
    }
    block.bottomRow = topDown_ ? block.bytes.get() + size_t(count - 1) * stride_ : block.bytes.get();
    block.rowStep = topDown_ ? -ptrdiff_t(stride_) : ptrdiff_t(stride_);
    return true;
}

PictureResult PlainBmpRows::failure() const {
    const std::lock_guard<std::mutex> hold(faultLock_);
    return bmpFileFault(fault_);
}
