#pragma once
// ViewSplitter: ReceiveView on top, a 7-pixel bar with a raised grip, SendEditor below.

#include <QWidget>

class ViewSplitterWidget : public QWidget {
  public:
    ViewSplitterWidget(QWidget* upper, QWidget* lower, QWidget* parent);

    int position() const { return upper_->height(); }
    void setPosition(int position);
    void setMinimumSizes(int upper, int lower);
    // The resize rule: the lower part keeps its height. Hidden widgets get their resize events
    // late, so the layout calls this right after resizing the splitter.
    void relayout();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Gives the lower part wantedLower pixels within the minimums, the upper part the rest.
    void divide(int wantedLower);

    QWidget* upper_;
    QWidget* lower_;
    int minUpper_ = 0;
    int minLower_ = 0;
    int grabOffset_ = -1; // -1 while not dragging
};
