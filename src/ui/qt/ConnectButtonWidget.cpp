#include "ui/qt/ConnectButtonWidget.h"

#include <QPainter>

namespace {
constexpr int kFaceInset = 2; // the border the picture leaves visible
}

ConnectButtonWidget::ConnectButtonWidget(QWidget* parent) : QPushButton(parent) {
    setCheckable(true);
}

void ConnectButtonWidget::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void ConnectButtonWidget::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setClipRect(rect().adjusted(kFaceInset, kFaceInset, -kFaceInset, -kFaceInset));
    const QSize pictureSize = picture_.deviceIndependentSize().toSize();
    QPoint corner((width() - pictureSize.width()) / 2, (height() - pictureSize.height()) / 2);
    if (isDown())
        corner += QPoint(1, 1);
    painter.drawImage(corner, picture_);
}
