#include "app/app_icon.h"

#include <QPainter>
#include <QRandomGenerator>

QIcon AppIcon() {
    // A small random-dot stereo pair: two squares of the same dots, the inner patch shifted.
    QPixmap pm(32, 32);
    pm.fill(QColor(20, 40, 90));
    QPainter p(&pm);
    QRandomGenerator rng(200);
    for (int y = 4; y < 28; ++y)
        for (int x = 2; x < 14; ++x) {
            const QColor c = rng.bounded(2) ? QColor(240, 200, 60) : QColor(60, 160, 220);
            p.setPen(c);
            p.drawPoint(x, y);
            const bool inner = x > 5 && x < 11 && y > 10 && y < 22;
            p.drawPoint(x + (inner ? 15 : 16), y);
        }
    return QIcon(pm);
}
