#pragma once
// WAV images built byte by byte for the tests.
#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct Chunk {
    std::string id;
    Bytes body;
    int64_t declared = -1;  // size field when it should differ from the body
    bool pad = true;        // pad byte after an odd body
};

inline Bytes PcmFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t extra = 0) {
    Bytes b;
    uint16_t align = uint16_t(channels * ((bits + 7) / 8));
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * align);
    Put16(b, align);
    Put16(b, bits);
    for (size_t i = 0; i < extra; ++i) b.push_back(0);
    return b;
}

inline Chunk Fmt(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1) {
    return {"fmt ", PcmFormat(tag, channels, rate, bits)};
}

inline Bytes Ramp(size_t n, uint8_t start = 1) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(start + i * 7);
    return b;
}

inline Bytes ChunkBytes(const Chunk& c) {
    Bytes b(c.id.begin(), c.id.end());
    Put32(b, c.declared >= 0 ? uint32_t(c.declared) : uint32_t(c.body.size()));
    b.insert(b.end(), c.body.begin(), c.body.end());
    if (c.pad && (c.body.size() & 1)) b.push_back(0);
    return b;
}

// "RIFF" <size> <form> chunks...; riffSize -1 means the true size.
inline Bytes Riff(const std::vector<Chunk>& chunks, const std::string& form = "WAVE", int64_t riffSize = -1) {
    Bytes body(form.begin(), form.end());
    for (const Chunk& c : chunks) {
        Bytes cb = ChunkBytes(c);
        body.insert(body.end(), cb.begin(), cb.end());
    }
    Bytes b{'R', 'I', 'F', 'F'};
    Put32(b, riffSize >= 0 ? uint32_t(riffSize) : uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

}  // namespace wavtest
