#pragma once

#include <QSpinBox>

// A spin box with right-aligned digits and arrows of a fixed width at its right end.
class TransparencySpinBox : public QSpinBox {
  public:
    explicit TransparencySpinBox(QWidget* parent);
};
