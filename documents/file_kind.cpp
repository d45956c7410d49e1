#include "documents/file_kind.h"

FileKind DispatchKind(const std::string& path) {
    static const struct {
        const char* upper;
        const char* lower;
        FileKind kind;
    } rows[] = {
        {".BMP", ".bmp", FileKind::Bmp}, {".GIF", ".gif", FileKind::Gif}, {".JPG", ".jpg", FileKind::Jpeg},
        {".WAV", ".wav", FileKind::Wav}, {".DXF", ".dxf", FileKind::Dxf},
    };
    for (const auto& r : rows)
        if (path.find(r.upper) != std::string::npos || path.find(r.lower) != std::string::npos) return r.kind;
    return FileKind::None;
}

const std::vector<std::string>& PictureNameEndings() {
    static const std::vector<std::string> endings = {"bmp", "gif",  "jpg", "jpeg", "jpe", "png", "tif",
                                                     "tiff", "webp", "pbm", "pgm", "ppm", "pnm", "tga"};
    return endings;
}
