#pragma once

#include <QStyledItemDelegate>
#include <string>

// Shows a drop-down entry as a description made for it when the list is painted.
class ItemDescriptionDelegate : public QStyledItemDelegate {
  public:
    using Describer = std::string (*)(const std::string& entry);

    ItemDescriptionDelegate(Describer describe, QObject* parent)
        : QStyledItemDelegate(parent), describe_(describe) {}

    QString displayText(const QVariant& value, const QLocale& locale) const override;

  private:
    Describer describe_;
};
