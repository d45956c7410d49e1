#include "images/picture_format.h"

#include "platform/file_writer.h"

#include <cctype>
#include <filesystem>

namespace {

struct FormatRow {
    const char* ext;
    PictureFormat format;
};
const FormatRow kFormats[] = {{".bmp", PictureFormat::Bmp},  {".png", PictureFormat::Png},   {".jpg", PictureFormat::Jpeg},
                              {".jpeg", PictureFormat::Jpeg}, {".tif", PictureFormat::Tiff}, {".tiff", PictureFormat::Tiff},
                              {".webp", PictureFormat::Webp}};

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

PictureFormat PictureFormatFromName(const std::string& path) {
    const std::string ext = Lower(std::filesystem::path(path).extension().string());
    for (const FormatRow& r : kFormats)
        if (ext == r.ext) return r.format;
    return PictureFormat::None;
}

const char* PictureFormatSuffix(PictureFormat f) {
    for (const FormatRow& r : kFormats)
        if (r.format == f) return r.ext;
    return "";
}

const char* PictureFormatList() { return ".bmp, .png, .jpg, .jpeg, .tif, .tiff or .webp"; }

std::string WritePictureBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return "the picture could not be encoded";
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}
