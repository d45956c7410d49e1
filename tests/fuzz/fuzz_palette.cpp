#include "mandel/palette_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint32_t> Kleuren;
    int32_t colors = 256;
    UserMessage msg;
    if (LoadPaletteBytes(data, size, "palette.pal", Kleuren, colors, msg)) {
        volatile uint32_t acc = 0;
        for (uint32_t c : Kleuren) acc = acc + c;
    }
    return 0;
}
