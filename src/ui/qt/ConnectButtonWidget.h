#pragma once
// The connect toggle button: shows its caption, or a picture drawn over the face.

#include <QImage>
#include <QPushButton>

class ConnectButtonWidget : public QPushButton {
  public:
    explicit ConnectButtonWidget(QWidget* parent);

    void setPicture(const QImage& picture); // a null image removes it
    const QImage& picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};
