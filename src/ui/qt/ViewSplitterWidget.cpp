#include "ui/qt/ViewSplitterWidget.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>

#include "ui/SplitterRules.h"

namespace {
constexpr int kGripTop = 2;
constexpr int kGripHeight = 3;
} // namespace

ViewSplitterWidget::ViewSplitterWidget(QWidget* upper, QWidget* lower, QWidget* parent)
    : QWidget(parent), upper_(upper), lower_(lower) {
    upper_->setParent(this);
    lower_->setParent(this);
    setCursor(Qt::SplitVCursor);
    upper_->setCursor(Qt::IBeamCursor);
    lower_->setCursor(Qt::IBeamCursor);
}

void ViewSplitterWidget::setPosition(int position) {
    divide(height() - kSplitterBarHeight - position);
}

void ViewSplitterWidget::setMinimumSizes(int upper, int lower) {
    minUpper_ = upper;
    minLower_ = lower;
}

void ViewSplitterWidget::divide(int wantedLower) {
    const SplitterHeights heights =
        ApplySplitterMinimums(height(), wantedLower, minUpper_, minLower_);
    upperHeight_ = heights.upper;
    lowerHeight_ = heights.lower;
    upper_->setGeometry(0, 0, width(), upperHeight_);
    lower_->setGeometry(0, upperHeight_ + kSplitterBarHeight, width(), lowerHeight_);
    update();
}

void ViewSplitterWidget::relayout() {
    divide(lowerHeight_);
}

void ViewSplitterWidget::resizeEvent(QResizeEvent*) {
    relayout();
}

void ViewSplitterWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    qDrawShadePanel(&painter, QRect(0, upperHeight_ + kGripTop, width(), kGripHeight), palette(),
                    false, 1);
}

void ViewSplitterWidget::mousePressEvent(QMouseEvent* event) {
    const int y = event->position().toPoint().y();
    if (event->button() != Qt::LeftButton || y < upperHeight_ ||
        y >= upperHeight_ + kSplitterBarHeight)
        return;
    grabOffset_ = y - upperHeight_;
    grabMouse();
}

void ViewSplitterWidget::mouseMoveEvent(QMouseEvent* event) {
    if (grabOffset_ < 0)
        return;
    const int upper = DraggedUpperHeight(event->position().toPoint().y(), grabOffset_, height());
    divide(height() - kSplitterBarHeight - upper);
}

void ViewSplitterWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || grabOffset_ < 0)
        return;
    grabOffset_ = -1;
    releaseMouse();
}
