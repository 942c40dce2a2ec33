#include "ui/qt/TransparencySpinBox.h"

#include <algorithm>
#include <optional>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleOptionComplex>

#include "ui/ControlTable.h"
#include "ui/qt/QtText.h"
#include "ui/SpinText.h"

namespace {

class FixedArrowStyle : public QProxyStyle {
  public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        if (control != CC_SpinBox)
            return QProxyStyle::subControlRect(control, option, sub, widget);
        const QRect r = option->rect;
        const int arrowsLeft = r.right() + 1 - kSpinArrowWidth;
        const int half = r.height() / 2;
        switch (sub) {
        case SC_SpinBoxUp:
            return QRect(arrowsLeft, r.top(), kSpinArrowWidth, half);
        case SC_SpinBoxDown:
            return QRect(arrowsLeft, r.top() + half, kSpinArrowWidth, r.height() - half);
        case SC_SpinBoxEditField:
            return QRect(r.left() + 2, r.top() + 2, arrowsLeft - r.left() - 3, r.height() - 4);
        default:
            return QProxyStyle::subControlRect(control, option, sub, widget);
        }
    }
};

} // namespace

TransparencySpinBox::TransparencySpinBox(QWidget* parent) : QSpinBox(parent) {
    auto* style = new FixedArrowStyle;
    style->setParent(this);
    setStyle(style);
    setLocale(QLocale::c()); // plain ASCII digits whatever the user's language
    setRange(kSpinMinimum, kSpinMaximum);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setGroupSeparatorShown(false);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    // The field reports an edit before the spin box has read the new text; the change is
    // passed on once it has.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typing_ = true; });
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (typing_) {
            typing_ = false;
            emit textChangedByUser();
        }
    });
    // The program sets its values with the signals blocked: a value that comes neither from
    // typing nor from a step was set by an assistive tool through the value it reads.
    connect(this, &QSpinBox::valueChanged, this, [this] {
        if (!typing_ && !stepping_)
            emit textChangedByUser();
    });
}

TransparencySpinBox::~TransparencySpinBox() {
    // The field may still report while the base classes destroy it; this part is gone by then.
    disconnect(lineEdit(), nullptr, this, nullptr);
}

QValidator::State TransparencySpinBox::validate(QString& text, int& position) const {
    if (text.isEmpty())
        return QValidator::Intermediate;
    const std::optional<int> number = SpinTextNumber(FromQString(text));
    if (!number)
        return QValidator::Invalid;
    if (*number < kSpinMinimum)
        return QValidator::Intermediate;
    // A number above the range shows as the maximum at once, which is the value it gives.
    if (*number > kSpinMaximum) {
        text = textFromValue(kSpinMaximum);
        position = static_cast<int>(text.size());
    }
    return QValidator::Acceptable;
}

void TransparencySpinBox::fixup(QString&) const {
    // Nothing is mended: what cannot be typed is refused, what is no value yet stays as typed.
}

int TransparencySpinBox::valueFromText(const QString& text) const {
    return std::clamp(SpinTextNumber(FromQString(text)).value_or(0), kSpinMinimum, kSpinMaximum);
}

QAbstractSpinBox::StepEnabled TransparencySpinBox::stepEnabled() const {
    return isReadOnly() ? StepNone : (StepUpEnabled | StepDownEnabled);
}

void TransparencySpinBox::stepBy(int steps) {
    const QString before = text();
    stepping_ = true;
    // Text that is no value yet steps from the value in use.
    if (!hasAcceptableInput())
        lineEdit()->setText(textFromValue(value()));
    QSpinBox::stepBy(steps);
    stepping_ = false;
    if (text() != before)
        emit textChangedByUser();
    emit arrowUsed();
}
