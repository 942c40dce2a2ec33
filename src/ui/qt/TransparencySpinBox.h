#pragma once

#include <QSpinBox>

// A spin box with right-aligned digits and arrows of a fixed width at its right end. Its field
// takes digits only; a number above the range is rewritten to the maximum as it is typed, and
// text that is no number of the range yet (empty, or below the minimum) leaves the value as it
// was until the field loses the focus, which shows the value in use again. The arrows step also
// at a limit, where the value stays.
class TransparencySpinBox : public QSpinBox {
    Q_OBJECT

  public:
    explicit TransparencySpinBox(QWidget* parent);
    ~TransparencySpinBox() override;

    QValidator::State validate(QString& text, int& position) const override;
    void fixup(QString& text) const override;
    void stepBy(int steps) override;

  signals:
    // The user changed the text: by typing, deleting or pasting, by an arrow step that
    // rewrote it, or through an assistive tool's value. The value already follows the text.
    void textChangedByUser();
    // The user used an arrow or the Up or Down key, whether or not the value moved.
    void arrowUsed();

  protected:
    int valueFromText(const QString& text) const override;
    StepEnabled stepEnabled() const override;

  private:
    bool typing_ = false;
    bool stepping_ = false;
};
