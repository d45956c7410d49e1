#include "stereo/depth_rows.h"

#include <algorithm>
#include <cstring>

int64_t DepthGreyOfPixel(const uint8_t* px, int bpp) {
    if (bpp == 8) return px[0];
    int b = px[0], g, r;
    if (bpp == 16) {
        const int v = px[0] | px[1] << 8;  // 5-5-5
        auto wide = [](int c) { return c << 3 | c >> 2; };
        b = wide(v & 31);
        g = wide(v >> 5 & 31);
        r = wide(v >> 10 & 31);
    } else {
        g = px[1];
        r = px[2];
    }
    return (299 * r + 587 * g + 114 * b + 500) / 1000;
}

namespace {

// Where output position i of `out` positions falls between picture positions of `in`, pixel
// centres matched: (i + 1/2) x in / out - 1/2, in units of 1 / (2 out), held at the edges.
void Between(int i, int in, int out, int& at0, int& at1, int64_t& frac) {
    const int64_t pos = (2 * int64_t(i) + 1) * in - out, unit = 2 * int64_t(out);
    at0 = 0;
    frac = 0;
    if (pos > 0) {
        at0 = int(pos / unit);
        frac = pos % unit;
    }
    if (at0 >= in - 1) {
        at0 = in - 1;
        frac = 0;
    }
    at1 = std::min(at0 + 1, in - 1);
}

// Classic depth offsets of one row of kB-byte pixels: the low 7 bits of each first byte, through
// the table unless the offsets equal the levels (the usual relief of 127), when the loop can
// take several pixels at once.
template <int kB> void ClassicRow(const uint8_t* row, int width, const int32_t* offsetOf, int32_t* d) {
    if (!offsetOf) {
        int x = 0;
        if constexpr (kB == 3) {
            // Four pixels are three whole words (the host is little-endian): no byte gathering.
            for (; x + 4 <= width; x += 4) {
                uint32_t w[3];
                std::memcpy(w, row + size_t(x) * 3, 12);
                d[x] = int32_t(w[0] & 127);
                d[x + 1] = int32_t(w[0] >> 24 & 127);
                d[x + 2] = int32_t(w[1] >> 16 & 127);
                d[x + 3] = int32_t(w[2] >> 8 & 127);
            }
        }
        for (; x < width; ++x) d[x] = row[size_t(x) * kB] & 127;
    } else
        for (int x = 0; x < width; ++x) d[x] = offsetOf[row[size_t(x) * kB] & 127];
}

}  // namespace

bool DepthRowsAreGrey(const uint8_t* bottomRow, ptrdiff_t rowStep, int count, int width, int bpp) {
    if (bpp == 8) return true;
    for (int y = 0; y < count; ++y) {
        const uint8_t* px = bottomRow + ptrdiff_t(y) * rowStep;
        if (bpp == 16) {
            for (int x = 0; x < width; ++x, px += 2) {
                const int v = px[0] | px[1] << 8;  // 5-5-5
                if ((v & 31) != (v >> 5 & 31) || (v & 31) != (v >> 10 & 31)) return false;
            }
        } else {
            for (int x = 0; x < width; ++x, px += bpp >> 3)
                if (px[0] != px[1] || px[0] != px[2]) return false;
        }
    }
    return true;
}

bool DepthPictureIsGrey(const DepthPicture& pic) {
    if (pic.grey16 || pic.wide) return true;
    return pic.bottomRow && DepthRowsAreGrey(pic.bottomRow, pic.rowStep, pic.height, pic.width, pic.bpp);
}

DepthRows::DepthRows(const DepthPicture& p, const StereoOptions& o, int w, int h)
    : pic(p), opts(o), outWidth(w), outHeight(h) {
    grey = opts.DepthMode == kDepthGrey || (opts.DepthMode == kDepthAuto && DepthPictureIsGrey(pic));
    if (!grey) pic.grey16 = nullptr;
    gmax = !grey ? 127 : pic.grey16 || pic.wide ? 65535 : 255;
    scaled = w != pic.width || h != pic.height;
    if (scaled) {
        columns.resize(size_t(w));
        for (int x = 0; x < w; ++x) {
            Tap& c = columns[size_t(x)];
            Between(x, pic.width, w, c.at0, c.at1, c.frac);
        }
    } else {
        offsetOf.resize(size_t(gmax) + 1);
        for (int64_t g = 0; g <= gmax; ++g)
            offsetOf[size_t(g)] = int32_t((opts.invert ? gmax - g : g) * opts.relief / gmax);
        plainOffsets = true;
        for (int64_t g = 0; g <= gmax; ++g) plainOffsets &= offsetOf[size_t(g)] == g;
    }
}

int64_t DepthRows::Grey(int x, int y) const {
    if (pic.grey16) return pic.grey16[size_t(pic.height - 1 - y) * size_t(pic.width) + size_t(x)];
    const uint8_t* px = pic.bottomRow + ptrdiff_t(y - pic.firstRow) * pic.rowStep + ptrdiff_t(x) * (pic.bpp >> 3);
    // Classic mode takes the high byte of a 16-bit grey value, as of the display picture's blue.
    if (pic.wide) return grey ? px[0] << 8 | px[1] : px[0] & 127;
    return grey ? DepthGreyOfPixel(px, pic.bpp) : px[0] & 127;
}

void DepthRows::Row(int y, int32_t* d) const {
    if (opts.BlocksOnTop && y >= 8 && y < 32) {
        const int32_t step = int32_t(32 * int64_t(opts.relief) / 127);
        for (int x = 0; x < outWidth; ++x) d[x] = (x / 32) & 1 ? step : 0;
        return;
    }
    if (!scaled) {
        if (!grey) {
            const uint8_t* row = pic.bottomRow + ptrdiff_t(y - pic.firstRow) * pic.rowStep;
            switch (pic.bpp) {
            case 32: ClassicRow<4>(row, outWidth, plainOffsets ? nullptr : offsetOf.data(), d); break;
            case 24: ClassicRow<3>(row, outWidth, plainOffsets ? nullptr : offsetOf.data(), d); break;
            case 8: ClassicRow<1>(row, outWidth, plainOffsets ? nullptr : offsetOf.data(), d); break;
            default: ClassicRow<2>(row, outWidth, plainOffsets ? nullptr : offsetOf.data(), d); break;
            }
        } else if (pic.bpp == 8 && !pic.grey16) {
            const uint8_t* row = pic.bottomRow + ptrdiff_t(y - pic.firstRow) * pic.rowStep;
            for (int x = 0; x < outWidth; ++x) d[x] = offsetOf[row[x]];
        } else {
            for (int x = 0; x < outWidth; ++x) d[x] = offsetOf[size_t(Grey(x, y))];
        }
        return;
    }
    int y0, y1;
    int64_t fy;
    Between(y, pic.height, outHeight, y0, y1, fy);
    const int64_t unitX = 2 * int64_t(outWidth), unitY = 2 * int64_t(outHeight), whole = gmax * unitX * unitY;
    for (int x = 0; x < outWidth; ++x) {
        const Tap& c = columns[size_t(x)];
        const int64_t top = Grey(c.at0, y1) * (unitX - c.frac) + Grey(c.at1, y1) * c.frac;
        const int64_t bottom = Grey(c.at0, y0) * (unitX - c.frac) + Grey(c.at1, y0) * c.frac;
        int64_t v = bottom * (unitY - fy) + top * fy;  // g x unitX x unitY
        if (opts.invert) v = whole - v;
        d[x] = int32_t(v * opts.relief / whole);
    }
}

DepthRows DepthRows::Holding(const uint8_t* bottomRow, ptrdiff_t rowStep, int firstRow) const {
    DepthRows part(*this);
    part.pic.bottomRow = bottomRow;
    part.pic.rowStep = rowStep;
    part.pic.firstRow = firstRow;
    return part;
}

void DepthRows::PictureRowsOf(int y0, int y1, int& lo, int& hi) const {
    if (!scaled) {
        lo = y0, hi = y1 - 1;
        return;
    }
    int at1;
    int64_t frac;
    Between(y0, pic.height, outHeight, lo, at1, frac);
    Between(y1 - 1, pic.height, outHeight, at1, hi, frac);
}
