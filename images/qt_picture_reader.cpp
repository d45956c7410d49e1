#include "images/qt_picture_reader.h"

#include "platform/whole_file.h"

#include <QBuffer>
#include <QImageReader>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

PictureResult Refuse(const std::string& text, bool unknown = false) {
    PictureResult r;
    r.messages.push_back({"Error", text});
    r.unknown = unknown;
    return r;
}

bool NameEndsIn(const std::string& name, const char* ext) {
    const size_t n = std::strlen(ext);
    if (name.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != ext[i]) return false;
    return true;
}

// Formats taken from Qt; others it knows (icons, X and wireless bitmaps, SVG, MNG) are refused.
bool Wanted(const QByteArray& f) {
    for (const char* w : {"png", "jpeg", "jpg", "tiff", "tif", "webp", "pbm", "pgm", "ppm", "tga"})
        if (f == w) return true;
    return false;
}

// 64-bit pixels to the display picture: each channel's high byte, alpha dropped.
Image32 FromRgba64(const QImage& q) {
    const QImage img = q.convertToFormat(QImage::Format_RGBA64);
    Image32 out(img.width(), img.height());
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const QRgba64*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            out.at(x, y) = uint32_t(row[x].red() >> 8) << 16 | uint32_t(row[x].green() >> 8) << 8 | (row[x].blue() >> 8);
    }
    return out;
}

Image32 FromGrey16(const QImage& img) {
    Image32 out(img.width(), img.height());
    out.grey16.resize(out.px.size());
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const uint16_t*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const uint32_t v = row[x] >> 8;
            out.grey16[size_t(y) * size_t(img.width()) + size_t(x)] = row[x];
            out.at(x, y) = v << 16 | v << 8 | v;
        }
    }
    return out;
}

Image32 FromQt(const QImage& q) {
    if (q.format() == QImage::Format_Grayscale16) return FromGrey16(q);
    if (q.depth() == 64) return FromRgba64(q);
    // Non-premultiplied alpha is simply dropped; a premultiplied picture is unmultiplied first.
    const QImage img = q.convertToFormat(q.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Image32 out(img.width(), img.height());
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) out.at(x, y) = row[x] & 0x00FFFFFFu;
    }
    return out;
}

bool TooLarge(QSize s) {
    return s.width() > kQtMaxSide || s.height() > kQtMaxSide ||
           uint64_t(s.width()) * uint64_t(s.height()) > kQtMaxPixels;
}

std::string TooLargeText(QSize s) {
    return "The picture is too large (" + std::to_string(s.width()) + " x " + std::to_string(s.height()) +
           " pixels; at most 32768 a side and 67108864 in all)!";
}

PictureResult ReadWithQt(const uint8_t* data, size_t size, const std::string& name) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QByteArray format = QImageReader::imageFormat(&buffer);
    // TGA has no signature (its header can even pass for a wireless bitmap's).
    if (!Wanted(format) && format != "bmp" && format != "gif" && NameEndsIn(name, ".tga")) format = "tga";
    if (format == "bmp") return ReadBmpBytes(data, size);
    if (format == "gif") return ReadGifBytes(data, size);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);  // shown as stored, as every other loader does
    reader.setAllocationLimit(int(kQtMaxPixels * 8 / (1024 * 1024)) + 1);
    if (!Wanted(format) || !reader.canRead()) return Refuse("The picture could not be read: Unsupported image format.", true);
    if (reader.size().isValid() && TooLarge(reader.size())) return Refuse(TooLargeText(reader.size()));
    const QImage img = reader.read();
    if (img.isNull()) return Refuse("The picture could not be read: " + reader.errorString().toStdString() + ".");
    if (TooLarge(img.size())) return Refuse(TooLargeText(img.size()));
    PictureResult r;
    r.image = FromQt(img);
    r.ok = true;
    return r;
}

}  // namespace

PictureResult ReadQtPictureBytes(const uint8_t* data, size_t size, const std::string& name) {
    try {
        return ReadWithQt(data, size, name);
    } catch (const std::bad_alloc&) {
        return Refuse("Not enough memory for the picture!");
    }
}

PictureResult LoadQtPictureFile(const std::string& path) {
    const WholeFile file = ReadWholeFile(path);
    if (!file) return Refuse("The file could not be read: " + std::string(std::strerror(file.error)) + ".", true);
    return ReadQtPictureBytes(file.data(), file.size, path);
}

PictureResult ReadAnyPictureFile(const std::string& path) { return ReadPictureFile(path, &LoadQtPictureFile); }
