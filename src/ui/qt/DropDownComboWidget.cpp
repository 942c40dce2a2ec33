#include "ui/qt/DropDownComboWidget.h"

#include <limits>
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleFactory>

#include "ui/qt/DescribedEntriesModel.h"

namespace {

// Some styles open a combo box's list as a menu with the chosen entry over the box, as tall
// as all entries (the whole screen for 256 ports), scrolled by arrows instead of a bar.
class ListBelowBoxStyle : public QProxyStyle {
  public:
    ListBelowBoxStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

DropDownComboWidget::DropDownComboWidget(bool editable, QWidget* parent) : QComboBox(parent) {
    setModel(new DescribedEntriesModel(this));
    // Before the list exists, which takes its kind from the style.
    auto* style = new ListBelowBoxStyle;
    style->setParent(this);
    setStyle(style);
    // Every entry counts; the list's height bound decides how many show.
    setMaxVisibleItems(std::numeric_limits<int>::max());
    view()->parentWidget()->setMaximumHeight(kListMaxHeight);
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

bool DropDownComboWidget::noteShown() {
    const int index = currentIndex();
    const QString text = currentText();
    if (index == shownIndex_ && text == shownText_)
        return false;
    shownIndex_ = index;
    shownText_ = text;
    return true;
}
