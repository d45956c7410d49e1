#pragma once
// WAV images built byte by byte for the tests.
#include "tests/common/test_files.h"
#include "wave/wave_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

using Bytes = std::vector<uint8_t>;
using Pairs = std::vector<std::pair<int, int>>;  // (left, right) frames

inline void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
inline void Put32(Bytes& b, uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }

// declared: the size field when it should differ from the body; pad: a pad byte after an odd body.
struct Chunk { std::string id; Bytes body; int64_t declared = -1; bool pad = true; };

inline Bytes PcmFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t extra = 0) {
    Bytes b;
    const uint16_t align = uint16_t(channels * ((bits + 7) / 8));
    Put16(b, tag), Put16(b, channels), Put32(b, rate), Put32(b, rate * align), Put16(b, align), Put16(b, bits);
    return b.resize(b.size() + extra), b;
}
inline Chunk Fmt(uint16_t ch, uint32_t rate, uint16_t bits, uint16_t tag = 1) { return {"fmt ", PcmFormat(tag, ch, rate, bits)}; }
// The extensible header: `bits` in containers of `container` bits; the sub-format GUID is
// {code}-0000-0010-8000-00aa00389b71 (1 PCM, 3 float) unless `guid` gives its last 8 bytes.
inline Chunk ExtFmt(uint16_t ch, uint32_t rate, uint16_t container, uint16_t bits, uint32_t code = 1,
                    Bytes guid = {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}) {
    Bytes b = PcmFormat(0xFFFE, ch, rate, container);
    Put16(b, 22), Put16(b, bits), Put32(b, ch == 1 ? 4 : 3), Put32(b, code), Put16(b, 0), Put16(b, 0x10);
    return b.insert(b.end(), guid.begin(), guid.end()), Chunk{"fmt ", b};
}

inline Bytes Ramp(size_t n, uint8_t start = 1) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(start + i * 7);
    return b;
}
inline Bytes Frames16(const Pairs& f) {
    Bytes b;
    for (auto [l, r] : f) Put16(b, uint16_t(l)), Put16(b, uint16_t(r));
    return b;
}
inline Pairs Frames(const WaveState& wd) {
    Pairs out;
    for (uint32_t i = 0; i < wd.frames(); ++i)
        out.emplace_back(FrameSample(wd.lpData.get(), LayoutOf(wd), i, 0), FrameSample(wd.lpData.get(), LayoutOf(wd), i, 1));
    return out;
}

// "RIFF" <size> <form> chunks...; riffSize -1 means the true size.
inline Bytes Riff(const std::vector<Chunk>& chunks, const std::string& form = "WAVE", int64_t riffSize = -1) {
    Bytes body(form.begin(), form.end());
    for (const Chunk& c : chunks) {
        body.insert(body.end(), c.id.begin(), c.id.end());
        Put32(body, uint32_t(c.declared >= 0 ? c.declared : int64_t(c.body.size())));
        body.insert(body.end(), c.body.begin(), c.body.end());
        if (c.pad && (c.body.size() & 1)) body.push_back(0);
    }
    Bytes b{'R', 'I', 'F', 'F'};
    Put32(b, uint32_t(riffSize >= 0 ? riffSize : int64_t(body.size())));
    return b.insert(b.end(), body.begin(), body.end()), b;
}

}  // namespace wavtest
