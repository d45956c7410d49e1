#include "images/picture_writer.h"

#include "images/bmp_writer.h"
#include "platform/file_writer.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <new>

QStringList PictureSaveFilters() {
    return {"PNG picture (*.png)", "BMP picture, 24 bits (*.bmp)", "JPEG picture (*.jpg *.jpeg)",
            "TIFF picture (*.tif *.tiff)", "WebP picture, lossless (*.webp)"};
}

PictureView ViewOfRgb32(const QImage& rgb32) {
    return {reinterpret_cast<const uint32_t*>(rgb32.constBits()), rgb32.bytesPerLine() / 4, rgb32.width(), rgb32.height()};
}

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

std::string EncodePicture(const QImage& img, PictureFormat f, std::vector<uint8_t>& out,
                          const std::vector<uint16_t>& grey16, int perMetre) {
    out.clear();
    if (img.isNull() || f == PictureFormat::None) return "nothing to save";
    if (std::string why = PictureSizeRefusal(f, img.width(), img.height()); !why.empty()) return why;
    const std::string noMemory = NotEnoughMemoryFor(img.width(), img.height());
    if (f == PictureFormat::Bmp) {
        const QImage rgb = img.convertToFormat(QImage::Format_RGB32);  // no copy when already so
        out = rgb.isNull() ? std::vector<uint8_t>() : EncodeBmp24(ViewOfRgb32(rgb), perMetre > 0 ? perMetre : kBmpDefaultPerMetre);
        return out.empty() ? noMemory : "";
    }
    const bool deep = (f == PictureFormat::Png || f == PictureFormat::Tiff) &&
                      grey16.size() == size_t(img.width()) * size_t(img.height());
    try {
        QImage picture = deep ? QImage(img.width(), img.height(), QImage::Format_Grayscale16)
                              : img.convertToFormat(QImage::Format_RGB32);
        if (picture.isNull()) return noMemory;
        if (perMetre > 0) {
            picture.setDotsPerMeterX(perMetre);
            picture.setDotsPerMeterY(perMetre);
        }
        if (deep) {
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
        // Within the format's limits an encoder fails for want of memory; a missing plugin says so.
        if (!w.write(picture))
            return w.error() == QImageWriter::UnsupportedFormatError ? w.errorString().toStdString() : noMemory;
        out.assign(bytes.begin(), bytes.end());
    } catch (const std::bad_alloc&) {
        out.clear();
        return noMemory;
    }
    return {};
}

std::string WritePicture(const std::string& path, const QImage& img, PictureFormat f,
                         const std::vector<uint16_t>& grey16, int perMetre) {
    std::vector<uint8_t> bytes;
    if (std::string why = EncodePicture(img, f, bytes, grey16, perMetre); !why.empty()) return why;
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}
