#include "ui/qt/FontStyleList.h"

#include <algorithm>
#include <array>
#include <QFontDatabase>
#include <QStringList>

namespace {

constexpr std::array<const char16_t*, 9> kWeightNames = {
    u"Тонкий",     u"Сверхсветлый", u"Светлый",     u"Обычный", u"Средний",
    u"Полужирный", u"Жирный",       u"Сверхжирный", u"Чёрный",
};

constexpr int kRegular = 400;
constexpr int kBold = 700;

} // namespace

std::vector<FontStyleEntry> FamilyStyles(const QString& family) {
    std::vector<FontStyleEntry> styles = {
        {kRegular, false}, {kRegular, true}, {kBold, false}, {kBold, true}};
    for (const QString& style : QFontDatabase::styles(family)) {
        // QFontDatabase::italic() misses oblique faces; the font it builds does not.
        const QFont font = QFontDatabase::font(family, style, 12);
        styles.push_back(
            {QFontDatabase::weight(family, style), font.style() != QFont::StyleNormal});
    }
    std::sort(styles.begin(), styles.end());
    styles.erase(std::unique(styles.begin(), styles.end()), styles.end());
    return styles;
}

QString StyleName(const FontStyleEntry& style) {
    const int index = std::clamp((style.weight + 50) / 100, 1, 9) - 1;
    QString name = QString::fromUtf16(kWeightNames[static_cast<std::size_t>(index)]);
    if (style.weight % 100 != 0)
        name += QStringLiteral(" (%1)").arg(style.weight);
    if (!style.italic)
        return name;
    if (style.weight == kRegular)
        return QStringLiteral("Курсив");
    return name + QStringLiteral(" курсив");
}
