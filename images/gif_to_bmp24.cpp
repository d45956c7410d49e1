#include "images/gif_to_bmp24.h"

#include "images/bmp_writer.h"
#include "images/gif_loader.h"
#include "images/picture_file.h"
#include "platform/parallel.h"
#include "platform/whole_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

bool GifFileToBmp24(const std::string& in, const std::string& out, std::vector<UserMessage>& messages,
                    bool& writeFailed) {
    writeFailed = false;
    WholeFile data = ReadWholeFile(in);
    if (!data) {
        messages.push_back(LoadFileMessage(data, in));
        return false;
    }
    const bool regular = !Bmp24File::WrittenInOrder(out);
    Bmp24File file;
    GifDib d;
    bool opened = false, openFailed = false;
    auto open = [&](const uint8_t* dib, size_t size) {
        opened = true;
        openFailed = !ReadGifDib(dib, size, d) || !file.open(out, d.width, d.height);
        return !openFailed;
    };
    // Picture rows first..first + count - 1 become file rows straight from the colour
    // indices; the 32-bit picture is never made.
    auto convert = [&](int first, int count) {
        std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[file.stride() * size_t(count)]);
        if (!rows) return (void)file.write(-1, 0, nullptr);  // fails the file
        for (int r = 0; r < count; ++r) {
            const uint8_t* idx = GifDibRow(d, first + count - 1 - r);  // file order: bottom row first
            uint8_t* o = rows.get() + size_t(r) * file.stride();
            for (int32_t x = 0; x < d.width; ++x, o += 3) {
                const uint32_t c = d.pal[idx[x]];
                o[0] = uint8_t(c), o[1] = uint8_t(c >> 8), o[2] = uint8_t(c >> 16);
            }
            std::memset(o, 0, file.stride() - size_t(d.width) * 3);
        }
        file.write(d.height - first - count, count, rows.get());
    };
    // Rows of a picture that is not interlaced go to a regular file while later ones are
    // decoded; the file is opened when the first rows are done.
    int written = 0;
    TaskGroup writers;
    const GifRowsDone rowsDone = [&](int first, int count, const uint8_t* dib, size_t size) {
        if (!(opened ? !openFailed : open(dib, size))) return;
        writers.run([&convert, first, count] { convert(first, count); });
        written = first + count;
    };
    GifView v = gifview(data.data(), data.size, regular ? rowsDone : GifRowsDone{});
    writers.wait();
    messages = std::move(v.messages);
    if (v.dib.empty() || !ReadGifDib(v.dib.data(), v.dib.size(), d)) return false;
    data.bytes.reset();
    if (opened ? openFailed : !file.open(out, d.width, d.height)) return writeFailed = true, false;
    // What is left: an interlaced picture, rows the data never reached, or a pipe's rows in order.
    constexpr int kBlock = 64;
    const int blocks = (d.height - written + kBlock - 1) / kBlock;
    auto block = [&](int b) {
        const int fileFirst = b * kBlock, count = std::min(kBlock, d.height - written - fileFirst);
        convert(d.height - fileFirst - count, count);
    };
    if (file.seekable())
        ParallelFor(0, blocks, 1, [&](int b0, int b1) {
            for (int b = b0; b < b1; ++b) block(b);
        });
    else
        for (int b = 0; b < blocks; ++b) block(b);
    return file.close() || (writeFailed = true, false);
}
