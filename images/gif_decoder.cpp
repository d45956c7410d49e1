#include "images/gif_decoder.h"

#include <algorithm>
#include <cstring>

namespace {
const int32_t code_mask[13] = {0x0,  0x1,  0x3,   0x7,   0xF,   0x1F,  0x3F,
                               0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
}  // namespace

int16_t GifDecoder::init_exp(int16_t size) {
    curr_size = int16_t(size + 1);
    top_slot = int16_t(1 << curr_size);
    clear = int16_t(1 << size);
    ending = int16_t(clear + 1);
    slot = newcodes = int16_t(ending + 1);
    nbits_left = navail_bytes = 0;
    data_ended = false;
    return 0;
}

// Starts the next sub-block. False when the data ended or a block terminator came first.
bool GifDecoder::refill() {
    pbytes = byte_buff;
    const int len = source.nextByte(source.ctx);
    if (len <= 0) return false;
    const int got = source.read(source.ctx, byte_buff, len);
    if (got <= 0) return false;
    navail_bytes = int16_t(got);
    return true;
}

uint16_t GifDecoder::get_next_code() {
    if (data_ended) return uint16_t(ending);
    if (nbits_left == 0) {
        if (navail_bytes <= 0 && !refill()) {
            data_ended = true;
            return uint16_t(ending);
        }
        b1 = *pbytes++;
        nbits_left = 8;
        --navail_bytes;
    }
    uint32_t ret = uint32_t(b1) >> (8 - nbits_left);
    while (curr_size > nbits_left) {
        if (navail_bytes <= 0 && !refill()) {
            data_ended = true;
            return uint16_t(ending);
        }
        b1 = *pbytes++;
        ret |= uint32_t(b1) << nbits_left;
        nbits_left = int16_t(nbits_left + 8);
        --navail_bytes;
    }
    nbits_left = int16_t(nbits_left - curr_size);
    return uint16_t(ret & uint32_t(code_mask[curr_size]));
}

uint16_t GifDecoder::decoder(uint16_t linewidth) {
    const int size = source.nextByte(source.ctx);
    if (size < 2 || size > 9) return kGifBadCodeSize;
    init_exp(int16_t(size));
    if (linewidth == 0 || bufs.decoderline_size < linewidth) return 0;

    uint8_t* const buf = bufs.decoderline;
    uint8_t* bufptr = buf;
    int bufcnt = linewidth;
    uint8_t* const stack_base = bufs.dstack;
    uint8_t* const stack_end = bufs.dstack + kGifStackSize;
    // The stack fills downwards, so a finished string reads forwards and moves by memcpy. The
    // last table code's string stays there: the same code again, as in large plain areas,
    // reuses it instead of walking its chain once more.
    uint8_t* sp = stack_end;
    int cached_code = -1, cached_first = 0;
    uint8_t* cached_sp = stack_end;
    uint8_t* const suffix = bufs.suffix;
    uint16_t* const prefix = bufs.prefix;
    int oc = 0, fc = 0;
    for (int k = 0; k < newcodes; ++k) length[k] = 1;
    // A stream that does not open with a clear code starts as if it did: its first code
    // is a plain pixel and defines no string.
    bool first_after_clear = true;

    // Moves past n bytes written into the row; a full row goes out.
    auto advance = [&](int n) {
        bufptr += n;
        bufcnt -= n;
        if (bufcnt == 0) {
            sink.storeRow(sink.ctx, buf, linewidth);
            bufptr = buf;
            bufcnt = linewidth;
        }
    };
    auto put_pixel = [&](uint8_t px) {
        *bufptr = px;
        advance(1);
    };

    for (;;) {
        const int c = get_next_code();
        if (c == ending) break;
        if (c == clear) {
            curr_size = int16_t(size + 1);
            slot = newcodes;
            top_slot = int16_t(1 << curr_size);
            first_after_clear = true;
            cached_code = -1;
            continue;
        }
        if (first_after_clear) {
            first_after_clear = false;
            oc = fc = (c >= slot) ? 0 : c;
            put_pixel(uint8_t(oc));
            continue;
        }
        int code = c;
        // A code not yet defined stands for the previous string followed by its first byte.
        const bool extra = code >= slot;
        // The length of the previous string and one more byte: known only for a string built on
        // a defined one (malformed data may do otherwise).
        const int grown = oc < slot && length[oc] ? length[oc] + 1 : 0;
        const int len = extra ? grown : length[code];
        bool inRow = false;
        if (code == cached_code) {
            sp = cached_sp;
            code = cached_first;
        } else if (len > 0 && len <= bufcnt) {
            // The whole string fits in the row: written there back to front, past the stack.
            const int roots = newcodes;  // kept in a register: the byte stores may alias members
            uint8_t* p = bufptr + len - 1;
            if (extra) {
                code = oc;
                *p-- = uint8_t(fc);
            }
            while (code >= roots) {
                *p-- = suffix[code];
                code = prefix[code];
            }
            *p = uint8_t(code);
            inRow = true;
        } else {
            if (extra) {
                code = oc;
                *--sp = uint8_t(fc);
            }
            while (code >= newcodes) {
                if (code > 4095 || sp == stack_base) return 0;
                *--sp = suffix[code];
                code = prefix[code];
            }
            if (sp == stack_base) return 0;
            *--sp = uint8_t(code);
            cached_code = c < slot ? c : -1;  // a string made from the previous one is not kept
            cached_sp = sp;
            cached_first = code;
        }
        if (slot < top_slot) {
            fc = code;
            suffix[slot] = uint8_t(fc);
            prefix[slot] = uint16_t(oc);
            length[slot] = uint16_t(grown);
            ++slot;
            oc = c;
        }
        if (slot >= top_slot && curr_size < 12) {
            top_slot = int16_t(top_slot << 1);
            ++curr_size;
        }
        if (inRow) {
            advance(len);
            continue;
        }
        // Move the string into the row, a row's worth at a time.
        while (sp < stack_end) {
            const int n = std::min<int>(int(stack_end - sp), bufcnt);
            std::memcpy(bufptr, sp, size_t(n));
            sp += n;
            advance(n);
        }
    }
    if (bufcnt != linewidth) return uint16_t(sink.storeRow(sink.ctx, buf, linewidth - bufcnt));
    return 0;
}
