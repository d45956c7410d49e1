#pragma once
// RIFF chunk reading on a byte span, with the descend / ascend / read model of a
// multimedia file service. Nothing is ever read outside the span.
#include <cstddef>
#include <cstdint>

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

struct MMCKINFO {
    uint32_t ckid = 0;
    uint32_t cksize = 0;
    uint32_t fccType = 0;       // form type of a RIFF or LIST chunk
    size_t dwDataOffset = 0;    // offset of the chunk's data (a RIFF chunk's form type)
};

class RiffReader {
public:
    enum class Find { Next, Chunk, Riff };

    RiffReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // Searches from the current position, up to the end of `parent` (or of the data), for
    // a chunk matching `ck.ckid` (Find::Chunk) or a "RIFF" chunk of form `ck.fccType`
    // (Find::Riff); Find::Next takes the chunk at the current position. Non-matching
    // chunks are skipped with their pad byte. On success `ck` describes the chunk and the
    // position is at its data (behind the form type for RIFF); on failure the position is
    // unchanged.
    bool descend(MMCKINFO& ck, const MMCKINFO* parent, Find mode);
    // Moves to the end of the chunk, behind its pad byte.
    void ascend(const MMCKINFO& ck);
    // Copies up to n bytes from the current position; returns how many were copied.
    size_t read(void* dst, size_t n);

    size_t position() const { return pos_; }
    size_t size() const { return size_; }

private:
    size_t end_of(const MMCKINFO* parent) const;

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
