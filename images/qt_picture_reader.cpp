#include "images/qt_picture_reader.h"

#include "images/picture_format.h"
#include "platform/whole_file.h"

#include <QBuffer>
#include <QImageReader>
#include <tiffio.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

namespace {

PictureResult Refuse(const std::string& text, bool unknown = false) {
    PictureResult r = RefusePicture(text);
    r.unknown = unknown;
    return r;
}

// The lines Qt's readers and libtiff would print while this thread reads a picture: never
// printed, the last error becomes the refusal's reason. Outside a read they go where they
// went before.
struct LibraryLines {
    std::string tiffError, qtLine;
};
thread_local LibraryLines* tReading = nullptr;
QtMessageHandler gQtBefore = nullptr;
TIFFErrorHandler gTiffErrorBefore = nullptr, gTiffWarningBefore = nullptr;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (tReading)
        tReading->qtLine = text.toStdString();
    else if (gQtBefore)
        gQtBefore(type, context, text);
}

// libtiff's module is the name Qt gives the stream ("foo") or a function's: only the text counts.
void OnTiffError(const char* module, const char* format, va_list args) {
    if (!tReading) {
        if (gTiffErrorBefore) gTiffErrorBefore(module, format, args);
        return;
    }
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    tReading->tiffError = text;
}

void OnTiffWarning(const char* module, const char* format, va_list args) {
    if (!tReading && gTiffWarningBefore) gTiffWarningBefore(module, format, args);
}

class QuietLibraries {
public:
    QuietLibraries() {
        static std::once_flag installed;
        std::call_once(installed, [] {
            gQtBefore = qInstallMessageHandler(OnQtMessage);
            gTiffErrorBefore = TIFFSetErrorHandler(OnTiffError);
            gTiffWarningBefore = TIFFSetWarningHandler(OnTiffWarning);
        });
        tReading = &lines_;
    }
    ~QuietLibraries() { tReading = nullptr; }
    // The library's own words, else Qt's.
    std::string reason(const QImageReader& reader) const {
        std::string r = !lines_.tiffError.empty() ? lines_.tiffError : !lines_.qtLine.empty() ? lines_.qtLine : reader.errorString().toStdString();
        while (!r.empty() && (r.back() == '.' || r.back() == '\n' || r.back() == ' ')) r.pop_back();
        return r;
    }

private:
    LibraryLines lines_;
};

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

bool TooLarge(QSize s) { return PictureTooLarge(uint64_t(s.width()), uint64_t(s.height())); }

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

PictureResult ReadWithQt(const uint8_t* data, size_t size, const std::string& name) {
    if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return ReadPngBytes(data, size);
    if (IsWidePgm(data, size)) return ReadWidePgmBytes(data, size);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QByteArray format = QImageReader::imageFormat(&buffer);
    // TGA has no signature (its header can even pass for a wireless bitmap's).
    if (!Wanted(format) && format != "bmp" && format != "gif" && NameEndsIn(name, ".tga")) format = "tga";
    if (format == "bmp") return ReadBmpBytes(data, size);
    if (format == "gif") return ReadGifBytes(data, size);
    if (format == "tga") return ReadTgaBytes(data, size);
    const QuietLibraries quiet;
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);  // shown as stored, as every other loader does
    reader.setAllocationLimit(int(kMaxPicturePixels * 8 / (1024 * 1024)) + 1);
    if (!Wanted(format) || !reader.canRead()) return Refuse("The picture could not be read: Unsupported image format.", true);
    const auto tooLarge = [](QSize s) { return RefuseTooLarge(uint64_t(s.width()), uint64_t(s.height())); };
    if (reader.size().isValid() && TooLarge(reader.size())) return tooLarge(reader.size());
    const QImage img = reader.read();
    if (img.isNull()) return Refuse("The picture could not be read: " + quiet.reason(reader) + ".");
    if (TooLarge(img.size())) return tooLarge(img.size());
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
