#include "images/picture_format.h"

#include <cctype>
#include <cstring>
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

bool NameEndsIn(const std::string& name, const char* ext) {
    const size_t n = std::strlen(ext);
    if (name.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != ext[i]) return false;
    return true;
}

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

std::string PictureSizeRefusal(PictureFormat f, int width, int height) {
    struct Limit {
        PictureFormat format;
        const char* name;
        int side;
    };
    static const Limit kLimits[] = {{PictureFormat::Webp, "WebP", 16383}, {PictureFormat::Jpeg, "JPEG", 65500},
                                    {PictureFormat::Png, "PNG", 1000000}};
    for (const Limit& l : kLimits)
        if (l.format == f && (width > l.side || height > l.side))
            return std::string(l.name) + " holds at most " + std::to_string(l.side) + " pixels a side (this picture is " +
                   std::to_string(width) + " x " + std::to_string(height) + ")";
    return {};
}
