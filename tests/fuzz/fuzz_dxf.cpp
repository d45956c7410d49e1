#include "dxf/dxf_reader.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = [] { return std::freopen("/dev/null", "w", stderr) != nullptr; }();
    (void)quiet;
    DxfDrawing d = ReadDxfBytes(data, size);
    (void)d;
    return 0;
}
