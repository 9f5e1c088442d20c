#include "ui/dialogs/Icons.h"

#include <QPainter>
#include <QPixmap>

namespace {
QPixmap Draw(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(32, 48, 72));
    p.drawRoundedRect(QRectF(0.5 * s, 0.5 * s, 15 * s, 15 * s), 3 * s, 3 * s);
    p.setBrush(QColor(80, 200, 120));
    p.drawRect(QRectF(3 * s, 6 * s, 4 * s, 7 * s));
    p.setBrush(QColor(90, 160, 255));
    p.drawRect(QRectF(9 * s, 3 * s, 4 * s, 10 * s));
    return pixmap;
}
} // namespace

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (const int size : {16, 24, 32, 48})
            i.addPixmap(Draw(size));
        return i;
    }();
    return icon;
}
