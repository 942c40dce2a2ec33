#include "ui/ConnectPicture.h"

#include <QPainter>

#include "ui/ControlTable.h"
#include "ui/qt/ConnectButtonWidget.h"
#include "ui/qt/GuiFont.h"
#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/QtText.h"
#include "ui/qt/WindowLayer.h"

namespace {
QImage connectedPicture;
}

void BuildConnectedPicture() {
    // Drawn at the screen's own pixel ratio: on a scaled screen a picture of the button's size
    // in pixels would be stretched and blurred. The painter still measures in the button's units.
    const ConnectButtonWidget* button = TheMainWindow()->connectButton();
    const QSize size = button->size();
    const qreal ratio = button->devicePixelRatioF();
    connectedPicture = QImage((QSizeF(size) * ratio).toSize(), QImage::Format_RGB888);
    connectedPicture.setDevicePixelRatio(ratio);
    connectedPicture.fill(QColor(kPictureRed, kPictureGreen, kPictureBlue));
    QPainter painter(&connectedPicture);
    if (!painter.isActive())
        return;
    painter.setFont(DefaultGuiFont());
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(kPictureTextX, kPictureTextY), size),
                     Qt::AlignLeft | Qt::AlignTop, ToQString(kDisconnectCaption));
}

void ShowConnectionState(bool connected) {
    ConnectButtonWidget* button = TheMainWindow()->connectButton();
    if (connected) {
        button->setPicture(connectedPicture);
        button->setText(ToQString(kDisconnectCaption));
    } else {
        button->setText(ToQString(kConnectCaption));
        button->setPicture(QImage());
    }
}
