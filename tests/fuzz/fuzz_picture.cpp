// The picture readers, a target each: FUZZ_READER names the reader (see CMakeLists.txt). A picture
// that claims success must be whole: as many words, and grey values if any, as its size says.
#include "images/picture_file.h"
#include "images/qt_picture_reader.h"

#include <cstdlib>

// Names the extension table does not claim: Qt's reader, with the format told by the content.
// TGA is recognised by its name alone; odd lengths take that road.
inline PictureResult ReadQtBytes(const uint8_t* data, size_t size) {
    return ReadQtPictureBytes(data, size, size % 2 ? "x.tga" : "");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PictureResult r = FUZZ_READER(data, size);
    const Image32& img = r.image;
    if (!r.ok) return 0;
    if (img.width <= 0 || img.height <= 0 || img.px.size() != size_t(img.width) * size_t(img.height)) std::abort();
    if (!img.grey16.empty() && img.grey16.size() != img.px.size()) std::abort();
    return 0;
}
