#include "images/role_cursors.h"

#include <QBitmap>
#include <QPainter>

QPixmap RoleCursorPixmap(StereoRole role) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Brows.
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(3, 6, 13, 4);
    p.drawLine(18, 4, 28, 6);
    // Eyes: white with a black rim.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    const QRect left(2, 9, 12, 18), right(17, 9, 12, 18);
    p.drawEllipse(left);
    p.drawEllipse(right);
    p.setBrush(Qt::black);
    for (const QRect& eye : {left, right}) {
        const int cx = eye.center().x();
        if (role == StereoRole::Background) p.drawEllipse(QPoint(cx, eye.bottom() - 4), 3, 3);
        else if (role == StereoRole::Depth) p.drawEllipse(QPoint(cx, eye.top() + 4), 3, 3);
        else {
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPoint(cx, eye.center().y()), 4, 6);
            p.drawEllipse(QPoint(cx, eye.center().y()), 2, 3);
            p.setBrush(Qt::black);
            p.drawPoint(cx, eye.center().y());
        }
    }
    return pm;
}

QCursor RoleCursor(StereoRole role) { return QCursor(RoleCursorPixmap(role), 0, 0); }
