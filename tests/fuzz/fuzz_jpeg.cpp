#include "images/picture_file.h"
#include "tests/fuzz/fuzz_consume.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PictureResult r = ReadJpegBytes(data, size);
    if (r.ok) ConsumePicture(r.image);
    return 0;
}
