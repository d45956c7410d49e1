#pragma once
// LZW decoder for GIF image data: turns the code-size byte and the data sub-blocks into rows
// of 8-bit colour indices, handed to a line sink one row at a time.
#include <cstddef>
#include <cstdint>

// Where the decoder takes its bytes from. `nextByte` returns the next byte (0..255) or -1
// at the end of the data; `read` copies up to `length` bytes and returns how many it copied.
struct GifByteSource {
    void* ctx = nullptr;
    int (*nextByte)(void* ctx) = nullptr;
    int (*read)(void* ctx, uint8_t* buffer, int length) = nullptr;
};

// Where finished rows go. Returns 0, or -1 once the picture has no room for further rows.
struct GifLineSink {
    void* ctx = nullptr;
    int (*storeRow)(void* ctx, const uint8_t* pixels, int length) = nullptr;
};

// The buffers the loader owns, allocated before and released after a picture.
// `decoderline` must hold the row width rounded up to a multiple of 4 bytes.
struct GifDecoderBuffers {
    uint8_t* dstack = nullptr;       // kGifStackSize bytes
    uint8_t* suffix = nullptr;       // kGifTableSize bytes
    uint16_t* prefix = nullptr;      // kGifPrefixSize entries
    uint8_t* decoderline = nullptr;  // the row being assembled
    size_t decoderline_size = 0;
};

constexpr int kGifStackSize = 4096;
constexpr int kGifTableSize = 4096;
constexpr int kGifPrefixSize = 8191;
constexpr uint16_t kGifBadCodeSize = 0xFFEC;

// The decoder's state for one picture at a time; one object per concurrent decode.
struct GifDecoder {
    GifByteSource source;
    GifLineSink sink;
    GifDecoderBuffers bufs;

    int16_t curr_size = 0;
    int16_t clear = 0;
    int16_t ending = 0;
    int16_t newcodes = 0;
    int16_t top_slot = 0;
    int16_t slot = 0;
    int16_t navail_bytes = 0;
    int16_t nbits_left = 0;
    uint8_t b1 = 0;
    uint8_t byte_buff[257] = {};
    uint8_t* pbytes = byte_buff;
    // Set when the data ran out or a zero-length sub-block came before the end code;
    // get_next_code then answers with the end code.
    bool data_ended = false;
    // Bytes in each code's string; 0 where malformed data left it unknown.
    uint16_t length[4096] = {};

    int16_t init_exp(int16_t size);
    uint16_t get_next_code();
    // Decodes one picture of `linewidth` pixels per row. Returns 0, kGifBadCodeSize, or
    // the sink's result for a partly filled last row (as an unsigned 16-bit value).
    uint16_t decoder(uint16_t linewidth);

private:
    bool refill();
};
