#include "mandel/mandel_cursor.h"

#include "mandel/mandel_calc.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

QPixmap MandelBusyCursorPixmap() {
    // An hourglass with sand running down.
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(7, 3, 25, 3);
    p.drawLine(7, 29, 25, 29);
    QPainterPath glass;
    glass.moveTo(9, 4);
    glass.lineTo(23, 4);
    glass.cubicTo(23, 12, 17, 14, 17, 16);
    glass.cubicTo(17, 18, 23, 20, 23, 28);
    glass.lineTo(9, 28);
    glass.cubicTo(9, 20, 15, 18, 15, 16);
    glass.cubicTo(15, 14, 9, 12, 9, 4);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 150, 40));
    p.drawPolygon(QPolygonF({QPointF(11, 8), QPointF(21, 8), QPointF(16, 15)}));
    p.drawPolygon(QPolygonF({QPointF(16, 21), QPointF(21.5, 27), QPointF(10.5, 27)}));
    p.drawRect(QRectF(15.5, 15, 1, 7));
    return pm;
}

QCursor MandelBusyCursor() { return QCursor(MandelBusyCursorPixmap(), 16, 16); }

QIcon MandelIcon() {
    // The set itself, in two colours.
    const int n = 32;
    const int32_t iterations = 40;
    QImage img(n, n, QImage::Format_ARGB32);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int k = fCalcMandel(-2.1 + x * 2.8 / n, -1.4 + y * 2.8 / n, iterations);
            img.setPixel(x, y, k == 0 ? qRgb(0, 0, 0) : k > 3 ? qRgb(40, 90, 230) : qRgba(0, 0, 0, 0));
        }
    return QIcon(QPixmap::fromImage(img));
}
