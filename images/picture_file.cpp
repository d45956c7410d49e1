#include "images/picture_file.h"

#include <cstdio>

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

const char* DispatchFailureText(FileKind kind) {
    switch (kind) {
    case FileKind::Bmp: return "Error reading bitmap!";
    case FileKind::Gif: return "Error from LoadGIF()!";
    case FileKind::Jpeg: return "Error reading JPEG file!";
    case FileKind::Wav: return "Error from LoadWave()!";
    default: return "";
    }
}

PictureResult ReadPictureFile(const std::string& path) {
    PictureResult r;
    FileKind kind = DispatchKind(path);
    switch (kind) {
    case FileKind::Bmp: r = LoadBitmapFileCore(path); break;
    case FileKind::Gif: r = LoadGifFileCore(path); break;
    case FileKind::Jpeg: r = LoadJpegFileCore(path); break;
    default: {
        char buf[255];
        std::snprintf(buf, sizeof buf, "Can't open file: %s", path.c_str());
        r.messages.push_back({"Orvalis", buf});
        return r;
    }
    }
    if (!r.ok) r.messages.push_back({"Orvalis", DispatchFailureText(kind)});
    return r;
}
