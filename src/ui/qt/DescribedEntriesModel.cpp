#include "ui/qt/DescribedEntriesModel.h"

#include "ui/qt/QtText.h"

DescribedEntriesModel::DescribedEntriesModel(QObject* parent) : QStandardItemModel(parent) {}

QVariant DescribedEntriesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::AccessibleDescriptionRole || !describe_)
        return QStandardItemModel::data(index, role);
    const std::string entry = FromQString(QStandardItemModel::data(index).toString());
    std::string description = describe_(entry).text;
    if (description.starts_with(entry))
        description.erase(0, description.find_first_not_of(' ', entry.size()));
    return ToQString(description);
}
