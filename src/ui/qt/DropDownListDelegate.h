#pragma once

#include <QStyledItemDelegate>

// Draws a drop-down list's entries in the list's own font, the desktop's, where Qt's list would
// take the box's: an entry's own font (Qt::FontRole) is resolved against it.
class DropDownListDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
