// Names the extension table does not claim: Qt's reader, with the format told by the content.
#include "images/qt_picture_reader.h"
#include "tests/fuzz/fuzz_consume.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // TGA is recognised by its name alone; odd lengths take that road.
    PictureResult r = ReadQtPictureBytes(data, size, size % 2 ? "x.tga" : "");
    if (r.ok) {
        ConsumePicture(r.image);
        if (!r.image.grey16.empty() && r.image.grey16.size() != r.image.px.size()) std::abort();
    }
    return 0;
}
