#include "wave/riff_reader.h"

#include "platform/little_endian.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kRiff = FourCC('R', 'I', 'F', 'F');
}  // namespace

size_t RiffReader::end_of(const MMCKINFO* parent) const {
    if (!parent) return size_;
    // A declared size past the end of the data (common in cut files) stops at the data.
    uint64_t end = uint64_t(parent->dwDataOffset) + parent->cksize;
    return size_t(std::min<uint64_t>(end, size_));
}

bool RiffReader::descend(MMCKINFO& ck, const MMCKINFO* parent, Find mode) {
    const size_t end = end_of(parent);
    uint64_t at = pos_;
    while (at + 8 <= end) {
        MMCKINFO found;
        found.ckid = Le32(data_ + at);
        found.cksize = Le32(data_ + at + 4);
        found.dwDataOffset = size_t(at + 8);
        bool hasForm = found.ckid == kRiff || found.ckid == FourCC('L', 'I', 'S', 'T');
        if (hasForm && at + 12 <= end) found.fccType = Le32(data_ + at + 8);
        bool match = mode == Find::Next ||
                     (mode == Find::Chunk && found.ckid == ck.ckid) ||
                     (mode == Find::Riff && found.ckid == kRiff && at + 12 <= end && found.fccType == ck.fccType);
        if (match) {
            if (mode == Find::Riff) {
                ck = found;
                pos_ = found.dwDataOffset + 4;
            } else {
                found.fccType = hasForm ? found.fccType : 0;
                ck = found;
                pos_ = found.dwDataOffset;
            }
            return true;
        }
        at += 8 + uint64_t(found.cksize) + (found.cksize & 1);
    }
    return false;
}

void RiffReader::ascend(const MMCKINFO& ck) {
    uint64_t end = uint64_t(ck.dwDataOffset) + ck.cksize + (ck.cksize & 1);
    pos_ = size_t(std::min<uint64_t>(end, size_));
}

size_t RiffReader::read(void* dst, size_t n) {
    size_t take = std::min(n, size_ - pos_);
    if (take) std::memcpy(dst, data_ + pos_, take);
    pos_ += take;
    return take;
}
