#pragma once
// 24-bit bottom-up BMP files (info header, rows padded to 4 bytes), written a block of rows
// at a time: no picture-sized buffer is ever made.
#include "images/image32.h"
#include "platform/file_writer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Pixels per metre a BMP states when no resolution is asked for (72 dots per inch).
inline constexpr int kBmpDefaultPerMetre = 2835;

// A BMP file being written. Rows are counted in file order, the bottom row of the picture
// first. A file takes its name only when closed complete (platform/file_writer.h), so a
// failed write leaves nothing and an older file stays whole; there rows may come in any
// order, and from several threads at once (seekable()). A device or a pipe is written
// directly, its rows in order from one thread.
class Bmp24File {
public:
    Bmp24File() = default;  // destroyed unfinished, the file is discarded
    Bmp24File(const Bmp24File&) = delete;
    Bmp24File& operator=(const Bmp24File&) = delete;

    // True when `path` is a device or a pipe, which is written directly, its rows in order.
    static bool WrittenInOrder(const std::string& path);
    // Creates the file and writes its headers. False when that fails.
    bool open(const std::string& path, int width, int height, int perMetre = kBmpDefaultPerMetre);
    size_t stride() const { return stride_; }  // bytes per row, the padding included
    bool seekable() const { return !file_.direct(); }
    // Writes `count` rows from `rows` (stride() bytes apart) as file rows first.. on.
    bool write(int first, int count, const uint8_t* rows);
    // True when every write succeeded and the file has its name; a failed one is discarded,
    // errno then the system's code of the first failure (0 when none was the system's).
    bool close();
    void discard() { file_.discard(); }
    int error() const { return error_; }  // the system's code of the first failed write, or 0

private:
    bool put(const uint8_t* p, size_t n, uint64_t at);
    bool fail(int code);

    OutputFile file_;
    int height_ = 0;
    size_t stride_ = 0;
    uint64_t end_ = 0;  // where the next in-order write goes
    std::atomic<bool> ok_{false};
    std::atomic<int> error_{0};
};

// Fills rows first..first + count - 1 (file order) at `rows`, `stride` bytes apart; the
// padding bytes after each row's pixels are zero already and must stay so. False stops the
// writing.
using Bmp24RowFiller = std::function<bool(int first, int count, uint8_t* rows, size_t stride)>;

// Called band after band from the top of the picture (the end of the file), one call at a
// time, before the blocks of file rows first..first + count - 1 are filled: rows that come
// only from the top are read here. The call for a band runs while the band above it is
// filled, so what it reads must not take the place of that band's rows. False stops the writing.
using Bmp24BandStart = std::function<bool(int first, int count)>;

// Writes a width x height BMP whose rows `fill` produces, a block of rows at a time in file
// order; with `anyThread`, blocks are filled and written on every core at once when the file
// allows (fill is then called from several threads). With `band`, the blocks are filled on
// every core band by band from the top; a device or a pipe, which takes the rows from the
// bottom only, is then refused (errno ESPIPE). False when the file cannot be written, memory
// runs out or `fill` or `band` fails (no file is left then), errno then as Bmp24File::close.
bool WriteBmp24Blocks(const std::string& path, int width, int height, const Bmp24RowFiller& fill,
                      bool anyThread = false, int perMetre = kBmpDefaultPerMetre, const Bmp24BandStart& band = nullptr);

// The same a row at a time: `row(y, words)` fills the `width` words of picture row y (0 the
// top row, 0x00RRGGBB), called for one row after another on the caller's thread.
bool WriteBmp24Rows(const std::string& path, int width, int height, const std::function<void(int, uint32_t*)>& row);

// The picture as a BMP file; rows are converted on every core.
bool WriteBmp24(const std::string& path, const Image32& img);
// The same file in memory; empty when the memory for it cannot be had.
std::vector<uint8_t> EncodeBmp24(const PictureView& img, int perMetre = kBmpDefaultPerMetre);

// The pixels of one picture row as BMP bytes: blue, green, red.
void PackBgr24(const uint32_t* px, int width, uint8_t* out);
