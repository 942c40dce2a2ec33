#include "ui/qt/DropDownComboWidget.h"

#include <algorithm>
#include <limits>
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>

#include "ui/qt/ControlAccessibility.h"
#include "ui/qt/DescribedEntriesModel.h"
#include "ui/qt/DropDownListDelegate.h"

namespace {

// The boxes are 64 pixels wide, and the styles give their arrow 16 to 19 of them: the text
// field is left too narrow for "COM256" in the 8 pt font (44 pixels). The arrow takes this
// much, the field the rest inside the frame.
constexpr int kArrowWidth = 14;
constexpr int kFrameWidth = 2;

// Some styles open a combo box's list as a menu with the chosen entry over the box, as tall
// as all entries (the whole screen for 256 ports), scrolled by arrows instead of a bar.
class ComboBoxStyle : public QProxyStyle {
  public:
    ComboBoxStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        if (control != CC_ComboBox || (sub != SC_ComboBoxArrow && sub != SC_ComboBoxEditField))
            return QProxyStyle::subControlRect(control, option, sub, widget);
        const QRect r = option->rect;
        const int arrowLeft = r.right() + 1 - kArrowWidth;
        const QRect place =
            sub == SC_ComboBoxArrow
                ? QRect(arrowLeft, r.top(), kArrowWidth, r.height())
                : QRect(r.left() + kFrameWidth, r.top() + kFrameWidth,
                        arrowLeft - r.left() - kFrameWidth, r.height() - 2 * kFrameWidth);
        return visualRect(option->direction, r, place);
    }
};

} // namespace

DropDownComboWidget::DropDownComboWidget(bool editable, QWidget* parent) : QComboBox(parent) {
    setModel(new DescribedEntriesModel(this));
    // Before the list exists, which takes its kind from the style.
    auto* style = new ComboBoxStyle;
    style->setParent(this);
    setStyle(style);
    // Every entry counts; the list's height bound decides how many show.
    setMaxVisibleItems(std::numeric_limits<int>::max());
    view()->parentWidget()->setMaximumHeight(kListMaxHeight);
    // The list is a window of its own and keeps the desktop's font, not the window's.
    view()->window()->setAttribute(Qt::WA_WindowPropagation, false);
    view()->window()->setFont(QFont());
    view()->setItemDelegate(new DropDownListDelegate(this));
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (noteShown())
            emit changedByUser();
    });
    if (!editable)
        return;
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The text typed is the text used: completing it to an entry would show another one than
    // the one in use.
    setCompleter(nullptr);
    // Enter or leaving the field would pick the entry matching the text, a change the user did
    // not make, even while the window is being destroyed.
    disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    // Typing, deleting, and picking the entry whose text was edited away all change the text.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        followTextWithList();
        if (noteShown())
            emit changedByUser();
    });
}

DropDownComboWidget::~DropDownComboWidget() {
    // Destroying the entries and the field may still report; this part is gone by then.
    disconnect(this, &QComboBox::currentIndexChanged, this, nullptr);
    if (lineEdit())
        disconnect(lineEdit(), nullptr, this, nullptr);
}

void DropDownComboWidget::setDescriber(DescribedEntriesModel::Describer describe) {
    static_cast<DescribedEntriesModel*>(model())->setDescriber(describe);
}

void DropDownComboWidget::showPopup() {
    QComboBox::showPopup();
    NotifyListOpened(this);
    QWidget* list = view()->window();
    const int missing = view()->sizeHintForColumn(0) - view()->viewport()->width();
    if (missing <= 0 || !list->isVisible())
        return;
    QRect place = list->geometry().adjusted(0, 0, missing, 0);
    const QRect screen = list->screen()->availableGeometry();
    place.moveRight(std::min(place.right(), screen.right()));
    place.moveLeft(std::max(place.left(), screen.left()));
    list->setGeometry(place);
}

// Qt gives the field the entry's text only where it differs, and so leaves it alone here.
void DropDownComboWidget::followTextWithList() {
    if (!isEditable())
        return;
    const int entry = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry < 0 || entry == currentIndex())
        return;
    const QSignalBlocker blocker(this);
    setCurrentIndex(entry);
}

bool DropDownComboWidget::noteShown() {
    const int index = currentIndex();
    const QString text = currentText();
    if (index == shownIndex_ && text == shownText_)
        return false;
    shownIndex_ = index;
    shownText_ = text;
    NotifyEntryShown(this);
    return true;
}
