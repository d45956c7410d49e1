// Pictures in and out of orvalis-cli: read as the program opens them, written in the format
// the name asks for.
#include "images/bmp_writer.h"
#include "images/picture_file.h"
#include "images/picture_format.h"
#include "images/jpeg_writer.h"
#include "images/png_writer.h"
#include "tools/cli/cli.h"
#include "tools/cli/cli_formats.h"

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>

namespace {

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// The formats module: beside the program in the build folder, else where it is installed.
// Null, with the loader's reason in `why`, when it cannot be loaded.
const CliPictureFormats* Formats(std::string& why) {
    static std::string failure;
    static const CliPictureFormats* const formats = []() -> const CliPictureFormats* {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path dir = fs::read_symlink("/proc/self/exe", ec).parent_path();
        fs::path module = dir / ORVALIS_CLI_FORMATS_NAME;
        if (!fs::exists(module, ec)) module = (dir / ORVALIS_CLI_FORMATS_INSTALLED).lexically_normal();
        void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
        using Entry = const CliPictureFormats* (*)();
        const auto entry = handle ? reinterpret_cast<Entry>(::dlsym(handle, "OrvalisCliPictureFormats")) : nullptr;
        if (const char* error = entry ? nullptr : ::dlerror()) failure = error;
        return entry ? entry() : nullptr;
    }();
    why = "the picture formats beyond BMP, GIF and JPEG cannot be loaded: " + failure;
    return formats;
}

}  // namespace

PictureResult CliReadOtherPicture(const std::string& path) {
    std::string why;
    if (const CliPictureFormats* formats = Formats(why)) return formats->read(path);
    PictureResult r;
    r.messages.push_back({"Error", why});
    return r;
}

std::string CliWriteOtherPicture(const std::string& path, const Image32& img) {
    std::string why;
    if (const CliPictureFormats* formats = Formats(why)) why = formats->write(path, img);
    return why;
}

int CliPictureError(const std::string& path, const PictureResult& failed) {
    const FileKind kind = DispatchKind(path);
    if (failed.messages.empty())  // a loader that leaves the telling to the dispatch
        CliFileError(path, kind == FileKind::Wav || kind == FileKind::Dxf ? "not a picture" : DispatchFailureText(kind));
    for (const UserMessage& m : failed.messages) CliFileError(path, Trimmed(m.text));
    return 1;
}

bool CliReadPicture(const std::string& path, Image32& out) {
    PictureResult r = LoadPictureOfKind(DispatchKind(path), path, &CliReadOtherPicture);
    if (!r.ok) {
        CliPictureError(path, r);
        return false;
    }
    out = std::move(r.image);
    return true;
}

int CliTextShape(const std::string& text, const std::string& family, int width, int height, int margin,
                 std::vector<uint8_t>& inside) {
    std::string why;
    if (const CliPictureFormats* formats = Formats(why)) why = formats->textShape(text, family, width, height, margin, inside);
    if (why.empty()) return 0;
    std::fprintf(stderr, "orvalis-cli: %s\n", why.c_str());
    return 1;
}

int CliWritePicture(const std::string& path, const Image32& img) {
    const PictureFormat format = PictureFormatFromName(path);
    std::string why = PictureSizeRefusal(format, img.width, img.height);
    if (!why.empty()) return CliFileError(path, why);
    // BMP is the program's own format: no Qt needed, and no copy of the file in memory.
    if (format == PictureFormat::Bmp) {
        errno = 0;
        return WriteBmp24(path, img) ? 0 : CliWriteError(path);
    }
    if (format == PictureFormat::Jpeg) {
        errno = 0;
        return WriteJpegRows(path, img.width, img.height, 95, [&](int first, int count, uint8_t* rows, size_t stride) {
                   for (int r = 0; r < count; ++r)
                       PackBgr24(&img.px[size_t(first + r) * size_t(img.width)], img.width, rows + size_t(r) * stride);
                   return true;
               }, img.perMetre)
                   ? 0
                   : CliWriteError(path);
    }
    // PNG too: compressed on every core as the rows are packed, 16-bit grey kept.
    if (format == PictureFormat::Png) {
        const bool wide = img.grey16.size() == img.px.size();
        const auto fill = [&](int first, int count, uint8_t* rows, size_t stride) {
            for (int r = 0; r < count; ++r) {
                const size_t at = size_t(first + r) * size_t(img.width);
                uint8_t* out = rows + size_t(r) * stride;
                for (int x = 0; x < img.width; ++x) {
                    const uint32_t v = wide ? uint32_t(img.grey16[at + size_t(x)]) << 8 : img.px[at + size_t(x)];
                    *out++ = uint8_t(v >> 16), *out++ = uint8_t(v >> 8);
                    if (!wide) *out++ = uint8_t(v);
                }
            }
            return true;
        };
        errno = 0;
        return WritePngBlocks(path, img.width, img.height, wide ? PngPixels::Grey16 : PngPixels::Rgb24, fill, nullptr,
                              img.perMetre)
                   ? 0
                   : CliWriteError(path);
    }
    if (const CliPictureFormats* formats = Formats(why)) why = formats->write(path, img);
    return why.empty() ? 0 : CliFileError(path, why);
}
