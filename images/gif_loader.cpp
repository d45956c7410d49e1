#include "images/gif_loader.h"

#include "images/dib.h"
#include "images/gif_decoder.h"
#include "images/picture_file.h"
#include "platform/little_endian.h"
#include "platform/parallel.h"
#include "platform/whole_file.h"


#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int kHeaderSize = 40;
constexpr int kPassFirst[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};
constexpr int32_t kRowsPerReport = 64;

// The loader's state for one file: the read position in the file data and the picture
// being filled.
struct GifLoad {
    const uint8_t* FilePointer = nullptr;
    const uint8_t* FileEnd = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    size_t stride = 0;
    int32_t maxy = 0;
    int32_t IntStp = 0;
    uint8_t Interlace = 0;
    bool passes_done = false;
    uint8_t* pB = nullptr;
    const GifRowsDone* rowsDone = nullptr;  // set for a picture that is not interlaced
    const uint8_t* dib = nullptr;
    size_t dibSize = 0;
    int32_t reported = 0;  // rows handed to rowsDone so far

    size_t left() const { return size_t(FileEnd - FilePointer); }
};

int get_byte(void* ctx) {
    auto* g = static_cast<GifLoad*>(ctx);
    if (g->FilePointer >= g->FileEnd) return -1;
    return *g->FilePointer++;
}

int myread(void* ctx, uint8_t* buf, int len) {
    auto* g = static_cast<GifLoad*>(ctx);
    const size_t n = std::min(size_t(len), g->left());
    std::memcpy(buf, g->FilePointer, n);
    g->FilePointer += n;
    return int(n);
}

// Stores one row at `maxy` and moves to the next row of the (interlaced) order. Returns -1
// once the last row of an interlaced picture is stored; later rows are dropped.
int out_line(void* ctx, const uint8_t* pixels, int linelen) {
    auto* g = static_cast<GifLoad*>(ctx);
    if (g->passes_done) return -1;
    if (uint32_t(g->maxy) < g->height) {
        uint8_t* row = g->pB + size_t(g->maxy) * g->stride;
        const size_t n = std::min(DibStride(linelen, 8), g->stride);
        std::memcpy(row, pixels, n);
        // A short last row leaves the rest of its pixels at index 0.
        if (uint32_t(linelen) < g->width) std::memset(row + linelen, 0, g->width - uint32_t(linelen));
    }
    if (!g->Interlace) {
        ++g->maxy;
        const int32_t done = std::min(g->maxy, int32_t(g->height));
        if (g->rowsDone && (done - g->reported >= kRowsPerReport || (done == int32_t(g->height) && done > g->reported))) {
            (*g->rowsDone)(g->reported, done - g->reported, g->dib, g->dibSize);
            g->reported = done;
        }
        return 0;
    }
    if (int64_t(g->maxy) + kPassStep[g->IntStp] < int64_t(g->height)) {
        g->maxy += kPassStep[g->IntStp];
        return 0;
    }
    while (++g->IntStp < 4) {
        if (uint32_t(kPassFirst[g->IntStp]) < g->height) {
            g->maxy = kPassFirst[g->IntStp];
            return 0;
        }
    }
    g->IntStp = 3;
    g->passes_done = true;
    return -1;
}

bool is_gif_header(const uint8_t* h) {
    auto digit = [](uint8_t b) { return b >= 0x30 && b <= 0x39; };
    return h[0] == 0x47 && h[1] == 0x49 && h[2] == 0x46 && digit(h[3]) && digit(h[4]) && h[5] >= 0x41 &&
           h[5] <= 0x7A;
}

// Skips an extension's label and data sub-blocks. False when the data ends inside it.
bool skip_extension(GifLoad& g) {
    if (get_byte(&g) < 0) return false;
    for (;;) {
        const int len = get_byte(&g);
        if (len < 0) return false;
        if (len == 0) return true;
        if (g.left() < size_t(len)) return false;
        g.FilePointer += len;
    }
}

// Reads a colour table of `entries` RGB triples as blue, green, red, 0 quads.
bool read_colour_table(GifLoad& g, int entries, std::vector<uint8_t>& quads) {
    if (g.left() < size_t(3 * entries)) return false;
    quads.assign(size_t(4 * entries), 0);
    for (int i = 0; i < entries; ++i, g.FilePointer += 3) {
        quads[4 * i + 0] = g.FilePointer[2];
        quads[4 * i + 1] = g.FilePointer[1];
        quads[4 * i + 2] = g.FilePointer[0];
    }
    return true;
}

void refuse(GifView& v, const char* text) { v.messages.push_back({"Error", text}); }

// Decodes the image whose descriptor starts at the read position into `v.dib`.
void read_image(GifLoad& g, GifView& v, const std::vector<uint8_t>& global_quads, const GifRowsDone& rowsDone) {
    if (g.left() < 9) return;
    const uint8_t* d = g.FilePointer;
    g.FilePointer += 9;
    const uint32_t width = Le16(d + 4);
    const uint32_t height = Le16(d + 6);
    const uint8_t flags = d[8];
    if (width == 0 || height == 0) return refuse(v, "The GIF image has no pixels!");
    if (uint64_t(width) * height > kGifMaxPixels) return refuse(v, "The GIF image is too large!");
    if (uint64_t(width) * height > kGifFreePixels + kGifPixelsPerByte * g.left())
        return refuse(v, "The GIF image is too large for its data!");

    // A local colour table belongs to the image and gives its colours.
    std::vector<uint8_t> local_quads;
    if ((flags & 0x80) && !read_colour_table(g, 1 << ((flags & 7) + 1), local_quads)) return;
    const std::vector<uint8_t>& quads = (flags & 0x80) ? local_quads : global_quads;
    const int entries = int(quads.size() / 4);

    g.width = width;
    g.height = height;
    g.stride = DibStride(int(width), 8);
    const size_t table_bytes = size_t(4 * entries);
    std::vector<uint8_t> pb;
    std::vector<uint8_t> dstack, suffix, decoderline;
    std::vector<uint16_t> prefix;
    try {
        pb.assign(kHeaderSize + table_bytes + g.stride * height, 0);
        dstack.assign(kGifStackSize, 0);
        suffix.assign(kGifTableSize, 0);
        prefix.assign(kGifPrefixSize, 0);
        decoderline.assign(std::max<size_t>(2049, g.stride), 0);
    } catch (const std::bad_alloc&) {
        return refuse(v, "Not enough memory for the GIF image!");
    }
    PutDib8Header(pb.data(), width, height, uint32_t(entries));
    std::memcpy(pb.data() + kHeaderSize, quads.data(), table_bytes);
    g.pB = pb.data() + kHeaderSize + table_bytes;
    g.Interlace = flags & 0x40;
    g.maxy = 0;
    if (rowsDone && !g.Interlace) g.rowsDone = &rowsDone, g.dib = pb.data(), g.dibSize = pb.size();

    GifDecoder dec;
    dec.source = {&g, get_byte, myread};
    dec.sink = {&g, out_line};
    dec.bufs = {dstack.data(), suffix.data(), prefix.data(), decoderline.data(), decoderline.size()};
    v.decoder_result = dec.decoder(uint16_t(width));
    v.Xsize = int(width);
    v.Ysize = int(height);
    v.dib = std::move(pb);
}

}  // namespace

GifView gifview(const uint8_t* data, size_t size, const GifRowsDone& rowsDone) {
    GifView v;
    GifLoad g;
    g.FilePointer = data;
    g.FileEnd = data + size;
    if (size < 6 || !is_gif_header(data)) {
        refuse(v, "File is no GIF file!");
        return v;
    }
    if (size < 13 || !(data[10] & 0x80)) return v;
    const int entries = 1 << ((data[10] & 7) + 1);
    v.NumColors = uint16_t(entries);
    v.BitsPerPixel = 8;
    g.FilePointer = data + 13;
    std::vector<uint8_t> quads;
    if (!read_colour_table(g, entries, quads)) return v;
    for (;;) {
        const int introducer = get_byte(&g);
        if (introducer == 0x21) {
            if (!skip_extension(g)) return v;
        } else if (introducer == 0x2C) {
            read_image(g, v, quads, rowsDone);
            return v;
        } else {
            return v;  // trailer, garbage or end of data: no picture
        }
    }
}

bool ReadGifDib(const uint8_t* dib, size_t size, GifDib& d) {
    if (size < kHeaderSize || Le32(dib) != kHeaderSize || dib[14] != 8) return false;
    const int32_t width = int32_t(Le32(dib + 4));
    const int32_t h = int32_t(Le32(dib + 8));
    const uint32_t used = Le32(dib + 32);
    if (width <= 0 || h == 0 || h == INT32_MIN || used > 256) return false;
    d.width = width;
    d.height = h < 0 ? -h : h;
    d.topDown = h < 0;
    d.stride = DibStride(int(width), 8);
    const size_t bits = kHeaderSize + 4 * size_t(used);
    if (size < bits || (size - bits) / d.stride < size_t(d.height)) return false;
    d.bits = dib + bits;
    for (uint32_t i = 0; i < used; ++i) {
        const uint8_t* q = dib + kHeaderSize + 4 * i;
        d.pal[i] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
    }
    return true;
}

const uint8_t* GifDibRow(const GifDib& d, int32_t y) {
    return d.bits + size_t(d.topDown ? y : d.height - 1 - y) * d.stride;
}

int MakeBitmapAndPalette(const uint8_t* dib, size_t size, Image32* picture) {
    GifDib d;
    if (!ReadGifDib(dib, size, d)) return 0;
    Image32 img;
    try {
        img = Image32(d.width, d.height);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    ParallelFor(0, d.height, 64, [&](int first, int last) {
        for (int32_t y = first; y < last; ++y) {
            const uint8_t* row = GifDibRow(d, y);
            uint32_t* out = &img.px[size_t(y) * size_t(d.width)];
            // Four at a time: under the fuzzer's instrumentation the loop test costs more than a pixel.
            int32_t x = 0;
            for (; x + 4 <= d.width; x += 4) {
                out[x] = d.pal[row[x]];
                out[x + 1] = d.pal[row[x + 1]];
                out[x + 2] = d.pal[row[x + 2]];
                out[x + 3] = d.pal[row[x + 3]];
            }
            for (; x < d.width; ++x) out[x] = d.pal[row[x]];
        }
    });
    *picture = std::move(img);
    return 1;
}

PictureResult ReadGifBytes(const uint8_t* data, size_t size) {
    PictureResult r;
    GifView v = gifview(data, size);
    r.messages = std::move(v.messages);
    r.NumColors = v.NumColors;
    r.BitsPerPixel = v.BitsPerPixel;
    if (v.dib.empty()) return r;
    r.ok = MakeBitmapAndPalette(v.dib.data(), v.dib.size(), &r.image) == 1;
    return r;
}

PictureResult LoadGifFileCore(const std::string& path) {
    const WholeFile file = ReadWholeFile(path);
    if (!file) {
        PictureResult r;
        r.messages.push_back(LoadFileMessage(file, path));
        return r;
    }
    return ReadGifBytes(file.data(), file.size);
}
