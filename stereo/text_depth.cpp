#include "stereo/text_depth.h"

#include "stereo/depth_filters.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <new>

std::string TextDepth(const std::string& text, const std::string& family, int width, int height, double bevel,
                      std::vector<uint16_t>& depth) {
    if (width < 1 || height < 1) return "no room for the text";
    QFont font;
    font.setFamilies({QString::fromStdString(family)});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Bold);
    font.setPixelSize(200);
    QPainterPath path;
    path.addText(0, 0, font, QString::fromStdString(text));
    const QRectF box = path.boundingRect();
    if (box.isEmpty()) return "the text has no visible letters in the font '" + family + "'";
    const int margin = std::min(width, height) / 20;
    const double roomW = width - 2.0 * margin, roomH = height - 2.0 * margin;
    if (roomW < 1 || roomH < 1) return "no room for the text within the margin";
    const double scale = std::min(roomW / box.width(), roomH / box.height());
    QImage img(width, height, QImage::Format_Grayscale8);
    if (img.isNull()) return "not enough memory for the text's picture";
    img.fill(0);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width / 2.0, height / 2.0);
    p.scale(scale, scale);
    p.translate(-box.center());
    p.fillPath(path, Qt::white);
    p.end();
    try {
        // Half covered pixels are inside: the outline falls where the letter's edge does.
        std::vector<uint8_t> inside(size_t(width) * height, 0);
        for (int y = 0; y < height; ++y) {
            const uchar* row = img.constScanLine(y);
            for (int x = 0; x < width; ++x) inside[size_t(y) * width + x] = row[x] >= 128;
        }
        depth = BevelledDepth(inside, width, height, bevel);
    } catch (const std::bad_alloc&) {
        return "not enough memory for the text's depth";
    }
    return "";
}
