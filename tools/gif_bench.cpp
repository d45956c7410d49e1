// Decodes the same large GIFs with our reader and with giflib and prints both times.
// Usage: gif_bench [repeats] [file.gif ...]   (without files it makes 4000 x 3000 pictures)
#include "images/gif_loader.h"
#include "images/picture_file.h"
#include "platform/whole_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Mem {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
};

int write_mem(GifFileType* gif, const GifByteType* buf, int len) {
    auto* m = static_cast<Mem*>(gif->UserData);
    m->bytes.insert(m->bytes.end(), buf, buf + len);
    return len;
}

int read_mem(GifFileType* gif, GifByteType* buf, int len) {
    auto* m = static_cast<Mem*>(gif->UserData);
    const size_t n = std::min(size_t(len), m->bytes.size() - m->pos);
    std::memcpy(buf, m->bytes.data() + m->pos, n);
    m->pos += n;
    return int(n);
}

// A picture with smooth bands, hard edges and a share of noise, so LZW strings vary in length.
std::vector<uint8_t> make_pixels(int w, int h, uint32_t noise) {
    std::vector<uint8_t> px(size_t(w) * h);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            uint8_t v = uint8_t((x / 37 + y / 23) * 7 + ((x * y) >> 12));
            if ((seed >> 24) < noise) v = uint8_t(seed >> 16);
            px[size_t(y) * w + x] = v;
        }
    return px;
}

std::vector<uint8_t> encode(int w, int h, bool interlaced, uint32_t noise) {
    const std::vector<uint8_t> px = make_pixels(w, h, noise);
    Mem m;
    int err = 0;
    GifFileType* gif = EGifOpen(&m, write_mem, &err);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, w, h, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr);
    if (!interlaced) {
        for (int y = 0; y < h; ++y) EGifPutLine(gif, const_cast<GifPixelType*>(&px[size_t(y) * w]), w);
    } else {
        const int first[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int p = 0; p < 4; ++p)
            for (int y = first[p]; y < h; y += step[p]) EGifPutLine(gif, const_cast<GifPixelType*>(&px[size_t(y) * w]), w);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return m.bytes;
}

// giflib's line-by-line decode into one 8-bit picture, interlace order included.
size_t giflib_decode(const std::vector<uint8_t>& file, std::vector<uint8_t>& out) {
    Mem m{file, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&m, read_mem, &err);
    GifRecordType type;
    size_t checksum = 0;
    while (DGifGetRecordType(gif, &type) == GIF_OK && type != TERMINATE_RECORD_TYPE) {
        if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* ext;
            DGifGetExtension(gif, &code, &ext);
            while (ext) DGifGetExtensionNext(gif, &ext);
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) != GIF_OK) break;
        const int w = gif->Image.Width, h = gif->Image.Height;
        out.resize(size_t(w) * h);
        if (gif->Image.Interlace) {
            const int first[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p)
                for (int y = first[p]; y < h; y += step[p]) DGifGetLine(gif, &out[size_t(y) * w], w);
        } else {
            for (int y = 0; y < h; ++y) DGifGetLine(gif, &out[size_t(y) * w], w);
        }
        checksum = out[out.size() / 2];
        break;
    }
    DGifCloseFile(gif, &err);
    return checksum;
}

template <class F> double best_ms(int repeats, F&& f) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

// Our 8-bit rows must equal giflib's, or the timing means nothing.
bool same_pixels(const GifView& v, const std::vector<uint8_t>& ref) {
    const size_t w = size_t(v.Xsize), stride = (w + 3) & ~size_t(3);
    const uint8_t* rows = v.dib.data() + 40 + 4 * size_t(v.dib[32] | v.dib[33] << 8);
    for (size_t y = 0; y < size_t(v.Ysize); ++y)
        if (std::memcmp(rows + y * stride, &ref[y * w], w) != 0) return false;
    return true;
}

void run(const std::string& name, const std::vector<uint8_t>& file, int repeats) {
    std::vector<uint8_t> ref;
    giflib_decode(file, ref);
    GifView check = gifview(file.data(), file.size());
    if (check.dib.empty() || !same_pixels(check, ref)) {
        std::printf("%-28s pixels differ from giflib, not timed\n", name.c_str());
        return;
    }
    volatile size_t sink = 0;
    const double ours = best_ms(repeats, [&] { sink = sink + gifview(file.data(), file.size()).dib.size(); });
    const double theirs = best_ms(repeats, [&] { sink = sink + giflib_decode(file, ref); });
    const double full = best_ms(repeats, [&] { sink = sink + ReadGifBytes(file.data(), file.size()).image.px.size(); });
    std::printf("%-28s %7.1f KB  ours %7.1f ms  giflib %7.1f ms  ratio ours/giflib %.2f  (with 32-bit picture %7.1f ms)\n",
                name.c_str(), file.size() / 1024.0, ours, theirs, ours / theirs, full);
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("best of %d runs\n", repeats);
    if (argc > 2) {
        for (int i = 2; i < argc; ++i) {
            const WholeFile f = ReadWholeFile(argv[i]);
            if (!f) {
                std::fprintf(stderr, "%s: %s\n", argv[i], std::strerror(f.error));
                return 1;
            }
            run(argv[i], std::vector<uint8_t>(f.data(), f.data() + f.size), repeats);
        }
        return 0;
    }
    run("4000x3000 noisy", encode(4000, 3000, false, 40), repeats);
    run("4000x3000 noisy interlaced", encode(4000, 3000, true, 40), repeats);
    run("4000x3000 smooth", encode(4000, 3000, false, 0), repeats);
    run("4000x3000 smooth interlaced", encode(4000, 3000, true, 0), repeats);
    return 0;
}
