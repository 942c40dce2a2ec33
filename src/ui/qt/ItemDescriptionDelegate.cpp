#include "ui/qt/ItemDescriptionDelegate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QSignalBlocker>

#include "ui/qt/QtText.h"

ItemDescriptionDelegate::ItemDescriptionDelegate(Describer describe, QComboBox* combo)
    : DropDownListDelegate(combo), describe_(describe), combo_(combo), list_(combo->view()) {
    // The list widget is shown each time the drop-down opens, before it is painted.
    list_->installEventFilter(this);
}

void ItemDescriptionDelegate::initStyleOption(QStyleOptionViewItem* option,
                                              const QModelIndex& index) const {
    DropDownListDelegate::initStyleOption(option, index);
    const QVariant description = index.data(kDescriptionRole);
    if (description.isValid())
        option->text = description.toString();
}

bool ItemDescriptionDelegate::eventFilter(QObject* watched, QEvent* event) {
    // The list widget is no item editor: the base class's editor handling stays off it. It is
    // compared as kept, since it also reports while the combo box is being destroyed.
    if (watched != list_)
        return QStyledItemDelegate::eventFilter(watched, event);
    if (event->type() == QEvent::Show)
        describeAll();
    return false;
}

void ItemDescriptionDelegate::describeAll() {
    // Item data changes are no selection changes for the program.
    const QSignalBlocker blocker(combo_);
    QFont bold = combo_->view()->font();
    bold.setBold(true);
    for (int i = 0; i < combo_->count(); ++i) {
        const ItemDescription description = describe_(FromQString(combo_->itemText(i)));
        combo_->setItemData(i, ToQString(description.text), kDescriptionRole);
        combo_->setItemData(i, description.standsOut ? QVariant(bold) : QVariant(), Qt::FontRole);
    }
}
