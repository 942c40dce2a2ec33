#include "ui/qt/TransparencySpinBox.h"

#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleOptionComplex>

#include "ui/ControlTable.h"

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
    setRange(kSpinMinimum, kSpinMaximum);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setGroupSeparatorShown(false);
    setKeyboardTracking(true);
}
