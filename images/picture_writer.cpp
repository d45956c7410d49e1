#include "images/picture_writer.h"

#include "images/bmp_writer.h"

#include <QBuffer>
#include <algorithm>
#include <QImageWriter>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

std::string SystemReason(int code) { return std::strerror(code); }

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

QImage ToQImage(const Image32& img) {
    QImage q(img.width, img.height, QImage::Format_RGB32);
    if (q.isNull()) return q;
    for (int y = 0; y < img.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(q.scanLine(y));
        const uint32_t* src = &img.px[size_t(y) * size_t(img.width)];
        for (int x = 0; x < img.width; ++x) row[x] = src[x] | 0xFF000000u;
    }
    return q;
}

Image32 FromQImage(const QImage& img) {
    Image32 out;
    if (img.isNull()) return out;
    const QImage q = img.convertToFormat(QImage::Format_RGB32);
    out = Image32(q.width(), q.height());
    for (int y = 0; y < q.height(); ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(q.constScanLine(y));
        for (int x = 0; x < q.width(); ++x) out.at(x, y) = row[x] & 0x00FFFFFFu;
    }
    return out;
}

std::vector<uint8_t> EncodePicture(const QImage& img, PictureFormat f, const std::vector<uint16_t>& grey16) {
    if (img.isNull() || f == PictureFormat::None) return {};
    if (f == PictureFormat::Bmp) return EncodeBmp24(FromQImage(img));
    QImage picture = img.convertToFormat(QImage::Format_RGB32);
    const bool deep = (f == PictureFormat::Png || f == PictureFormat::Tiff) &&
                      grey16.size() == size_t(img.width()) * size_t(img.height());
    if (deep) {
        picture = QImage(img.width(), img.height(), QImage::Format_Grayscale16);
        for (int y = 0; y < img.height(); ++y)
            std::copy_n(&grey16[size_t(y) * size_t(img.width())], img.width(), reinterpret_cast<uint16_t*>(picture.scanLine(y)));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter w(&buffer, QByteArray(PictureFormatSuffix(f) + 1));
    if (f == PictureFormat::Jpeg) w.setQuality(95);
    if (f == PictureFormat::Webp) w.setQuality(100);  // lossless: a stereogram's dots must stay exact
    if (f == PictureFormat::Tiff) w.setCompression(1);  // LZW
    if (!w.write(picture)) return {};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    const std::filesystem::path target(path);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string tmp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return SystemReason(errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int code = ::fchmod(fd, 0666 & ~mask) == 0 ? 0 : errno;
    for (size_t done = 0; !code && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno != EINTR) code = errno;
        if (n > 0) done += size_t(n);
    }
    if (!code && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && !code) code = errno;
    if (!code && ::rename(tmp.c_str(), path.c_str()) != 0) code = errno;
    if (code) ::unlink(tmp.c_str());
    return code ? SystemReason(code) : std::string();
}

std::string WritePicture(const std::string& path, const QImage& img, PictureFormat f,
                         const std::vector<uint16_t>& grey16) {
    const std::vector<uint8_t> bytes = EncodePicture(img, f, grey16);
    if (bytes.empty()) return "the picture could not be encoded";
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}
