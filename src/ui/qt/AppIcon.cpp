#include "ui/qt/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon AppIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 70, 140));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, 32, 32), 5, 5);

    QPainterPath shell; // the D-shaped shell of a nine-pin plug
    shell.moveTo(4, 9);
    shell.lineTo(28, 9);
    shell.lineTo(25, 23);
    shell.lineTo(7, 23);
    shell.closeSubpath();
    painter.setBrush(QColor(220, 220, 225));
    painter.drawPath(shell);

    painter.setBrush(QColor(40, 40, 40));
    for (int pin = 0; pin < 5; ++pin)
        painter.drawEllipse(QPointF(8.5 + pin * 3.75, 13.5), 1.4, 1.4);
    for (int pin = 0; pin < 4; ++pin)
        painter.drawEllipse(QPointF(10.4 + pin * 3.75, 18.5), 1.4, 1.4);
    return QIcon(pixmap);
}
