#pragma once

#include <QStandardItemModel>
#include <string>

#include "ui/Window.h"

// A combo box's entries. Where a describer is set, each entry's accessible description is
// what its list shows after the entry's name (the device, whether it is there, whether it may
// be opened), made when a client asks: it tells the state of now, list opened or not.
class DescribedEntriesModel : public QStandardItemModel {
  public:
    using Describer = ItemDescription (*)(const std::string& entry);

    explicit DescribedEntriesModel(QObject* parent);

    void setDescriber(Describer describe) { describe_ = describe; }
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    Describer describe_ = nullptr;
};
