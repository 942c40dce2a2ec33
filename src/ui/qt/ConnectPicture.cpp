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
    const QSize size = TheMainWindow()->connectButton()->size();
    connectedPicture = QImage(size, QImage::Format_RGB888);
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
