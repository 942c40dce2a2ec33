#include "ui/qt/DropDownListDelegate.h"

#include <QWidget>

void DropDownListDelegate::initStyleOption(QStyleOptionViewItem* option,
                                           const QModelIndex& index) const {
    if (option->widget) {
        option->font = option->widget->font();
        option->fontMetrics = QFontMetrics(option->font);
    }
    QStyledItemDelegate::initStyleOption(option, index);
}
