#pragma once

#include <string>

#include "ui/qt/DropDownListDelegate.h"
#include "ui/Window.h"

class QComboBox;

// Shows a drop-down entry as a description made for it, in bold where it stands out. The
// descriptions are made afresh each time the list opens, since what they tell (a device being
// present) can change meanwhile, and kept in the items for painting and measuring.
class ItemDescriptionDelegate : public DropDownListDelegate {
  public:
    using Describer = ItemDescription (*)(const std::string& entry);

    static constexpr int kDescriptionRole = Qt::UserRole + 1;

    ItemDescriptionDelegate(Describer describe, QComboBox* combo);

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void describeAll();

    Describer describe_;
    QComboBox* combo_;
    QObject* list_;
};
