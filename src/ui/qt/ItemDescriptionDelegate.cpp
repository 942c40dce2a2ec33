#include "ui/qt/ItemDescriptionDelegate.h"

#include "ui/qt/QtText.h"

QString ItemDescriptionDelegate::displayText(const QVariant& value, const QLocale&) const {
    return ToQString(describe_(FromQString(value.toString())));
}
