#include "ui/qt/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
constexpr double kDesignSize = 32;
} // namespace

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kDesignSize, size / kDesignSize);
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
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}
