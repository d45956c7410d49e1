#include "images/picture_file.h"

#include <cstdio>

const char* DispatchFailureText(FileKind kind) {
    switch (kind) {
    case FileKind::Bmp: return "Error reading bitmap!";
    case FileKind::Gif: return "Error from LoadGIF()!";
    case FileKind::Jpeg: return "Error reading JPEG file!";
    default: return "";
    }
}

bool PictureTooLarge(uint64_t width, uint64_t height) {
    return width > uint64_t(kMaxPictureSide) || height > uint64_t(kMaxPictureSide) || width * height > kMaxPicturePixels;
}

PictureResult RefusePicture(const std::string& text) {
    PictureResult r;
    r.messages.push_back({"Error", text});
    return r;
}

PictureResult RefuseTooLarge(uint64_t width, uint64_t height) {
    return RefusePicture("The picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels; at most 32768 a side and 67108864 in all)!");
}

std::string CantOpenText(const std::string& path) {
    char buf[255];
    std::snprintf(buf, sizeof buf, "Can't open file: %s", path.c_str());
    return buf;
}

PictureResult LoadPictureOfKind(FileKind kind, const std::string& path, PictureFileReader other) {
    switch (kind) {
    case FileKind::Bmp: return LoadBitmapFileCore(path);
    case FileKind::Gif: return LoadGifFileCore(path);
    case FileKind::Jpeg: return LoadJpegFileCore(path);
    case FileKind::None:
        if (other) return other(path);
        break;
    default: break;
    }
    return {};
}

PictureResult ReadPictureFile(const std::string& path, PictureFileReader other) {
    const FileKind kind = DispatchKind(path);
    PictureResult r = LoadPictureOfKind(kind, path, other);
    if (!r.ok) {
        const bool picture = kind == FileKind::Bmp || kind == FileKind::Gif || kind == FileKind::Jpeg;
        r.messages.push_back({"Orvalis", picture ? DispatchFailureText(kind) : CantOpenText(path)});
    }
    return r;
}
