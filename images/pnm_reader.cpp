// PGM files whose grey values need more than 8 bits (maximum value 256 to 65535), binary
// (P5, two bytes a value, high byte first) or plain (P2, decimal text). Qt's reader would
// cut them to 8 bits; depth tools write them for their precision.
#include "images/picture_file.h"

#include <cctype>

namespace {

// Reads the header's numbers one at a time, skipping blanks and # comments.
struct Scanner {
    const uint8_t* data;
    size_t size, pos = 2;

    bool number(uint64_t& v) {
        for (;;) {
            while (pos < size && std::isspace(data[pos])) ++pos;
            if (pos < size && data[pos] == '#') {
                while (pos < size && data[pos] != '\n' && data[pos] != '\r') ++pos;
                continue;
            }
            break;
        }
        if (pos >= size || !std::isdigit(data[pos])) return false;
        v = 0;
        for (; pos < size && std::isdigit(data[pos]); ++pos)
            if ((v = v * 10 + uint64_t(data[pos] - '0')) > (uint64_t(1) << 32)) return false;
        return true;
    }
};

struct Header {
    bool plain = false;
    uint64_t width = 0, height = 0, maxval = 0;
    size_t bits = 0;  // where the values start
};

bool ParseHeader(const uint8_t* data, size_t size, Header& h) {
    if (size < 3 || data[0] != 'P' || (data[1] != '2' && data[1] != '5')) return false;
    h.plain = data[1] == '2';
    Scanner s{data, size};
    if (!s.number(h.width) || !s.number(h.height) || !s.number(h.maxval)) return false;
    if (h.maxval <= 255 || h.maxval > 65535 || s.pos >= size || !std::isspace(data[s.pos])) return false;
    h.bits = s.pos + 1;  // one blank ends the header
    return true;
}

}  // namespace

bool IsWidePgm(const uint8_t* data, size_t size) {
    Header h;
    return ParseHeader(data, size, h);
}

PictureResult ReadWidePgmBytes(const uint8_t* data, size_t size) {
    Header h;
    if (!ParseHeader(data, size, h)) return RefusePicture("The picture could not be read: not a 16-bit PGM file.");
    if (h.width == 0 || h.height == 0) return RefusePicture("The picture could not be read: the picture has no pixels.");
    if (PictureTooLarge(h.width, h.height)) return RefuseTooLarge(h.width, h.height);
    const size_t n = size_t(h.width * h.height);
    // Two bytes a value in binary, at least a digit and a blank in text: checked before allocating.
    if ((size - h.bits) / 2 + (h.plain ? 1 : 0) < n)
        return RefusePicture("The picture could not be read: the file ends inside the picture.");
    PictureResult r;
    Image32& img = r.image;
    img = Image32(int(h.width), int(h.height));
    img.grey16.resize(n);
    Scanner text{data, size, h.bits - 1};
    for (size_t i = 0; i < n; ++i) {
        uint64_t v = 0;
        if (!h.plain)
            v = uint64_t(data[h.bits + 2 * i]) << 8 | data[h.bits + 2 * i + 1];
        else if (!text.number(v))
            return RefusePicture("The picture could not be read: the file ends inside the picture.");
        if (v > h.maxval) v = h.maxval;
        const uint16_t grey = uint16_t((v * 65535 + h.maxval / 2) / h.maxval);
        img.grey16[i] = grey;
        const uint32_t high = grey >> 8u;
        img.px[i] = high << 16 | high << 8 | high;
    }
    r.ok = true;
    return r;
}
