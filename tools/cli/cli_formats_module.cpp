// The module behind cli_formats.h.
#include "images/picture_writer.h"
#include "images/qt_picture_reader.h"
#include "tools/cli/cli_formats.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtGlobal>

#include <algorithm>

namespace {

std::string Write(const std::string& path, const Image32& img) {
    return WritePicture(path, ToQImage(img), PictureFormatFromName(path), img.grey16, img.perMetre);
}

std::string TextShape(const std::string& text, const std::string& family, int width, int height, int margin,
                      std::vector<uint8_t>& inside) {
    // Fonts need an application object; the offscreen platform needs no display. It is left
    // to the end of the process: Qt's own statics may be gone before ours are destroyed.
    if (!QGuiApplication::instance()) {
        static int argc = 3;
        static char arg0[] = "orvalis-cli", arg1[] = "-platform", arg2[] = "offscreen";
        static char* argv[] = {arg0, arg1, arg2, nullptr};
        new QGuiApplication(argc, argv);
    }
    QFont font;
    font.setFamilies({QString::fromStdString(family)});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Bold);
    font.setPixelSize(200);
    QPainterPath path;
    path.addText(0, 0, font, QString::fromStdString(text));
    const QRectF box = path.boundingRect();
    if (box.isEmpty()) return "the text has no visible letters in the font '" + family + "'";
    const double roomW = width - 2.0 * margin, roomH = height - 2.0 * margin;
    if (roomW < 1 || roomH < 1) return "no room for the text within the margin";
    const double scale = std::min(roomW / box.width(), roomH / box.height());
    QImage img(width, height, QImage::Format_Grayscale8);
    img.fill(0);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width / 2.0, height / 2.0);
    p.scale(scale, scale);
    p.translate(-box.center());
    p.fillPath(path, Qt::white);
    p.end();
    // Half covered pixels are inside: the outline falls where the letter's edge does.
    inside.assign(size_t(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < width; ++x) inside[size_t(y) * width + x] = row[x] >= 128;
    }
    return "";
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const CliPictureFormats* OrvalisCliPictureFormats() {
    // Qt's picture readers log their decoders' complaints; the reason reaches the user in the
    // one "orvalis-cli: PATH: message" line instead.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static const CliPictureFormats formats{&LoadQtPictureFile, &Write, &TextShape};
    return &formats;
}
