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
    upper_->setGeometry(0, 0, width(), heights.upper);
    lower_->setGeometry(0, heights.upper + kSplitterBarHeight, width(), heights.lower);
    update();
}

// A hidden part takes its new geometry at once, so its height is the one last given.
void ViewSplitterWidget::relayout() {
    divide(lower_->height());
}

void ViewSplitterWidget::resizeEvent(QResizeEvent*) {
    relayout();
}

void ViewSplitterWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    qDrawShadePanel(&painter, QRect(0, position() + kGripTop, width(), kGripHeight), palette(),
                    false, 1);
}

void ViewSplitterWidget::mousePressEvent(QMouseEvent* event) {
    const int y = event->position().toPoint().y();
    const int barTop = position();
    if (event->button() != Qt::LeftButton || y < barTop || y >= barTop + kSplitterBarHeight)
        return;
    grabOffset_ = y - barTop;
    grabMouse();
}

void ViewSplitterWidget::mouseMoveEvent(QMouseEvent* event) {
    if (grabOffset_ < 0)
        return;
    setPosition(DraggedUpperHeight(event->position().toPoint().y(), grabOffset_, height()));
}

void ViewSplitterWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || grabOffset_ < 0)
        return;
    grabOffset_ = -1;
    releaseMouse();
}
