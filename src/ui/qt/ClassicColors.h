#pragma once
// The sixteen classic text colours a font chooser offers, with their Russian names.

#include <array>
#include <QRgb>

struct NamedColor {
    QRgb rgb;
    const char16_t* name;
};

inline constexpr std::array<NamedColor, 16> kClassicColors = {{
    {0x000000, u"Чёрный"},
    {0x800000, u"Бордовый"},
    {0x008000, u"Зелёный"},
    {0x808000, u"Оливковый"},
    {0x000080, u"Тёмно-синий"},
    {0x800080, u"Фиолетовый"},
    {0x008080, u"Сине-зелёный"},
    {0x808080, u"Серый"},
    {0xC0C0C0, u"Серебристый"},
    {0xFF0000, u"Красный"},
    {0x00FF00, u"Лайм"},
    {0xFFFF00, u"Жёлтый"},
    {0x0000FF, u"Синий"},
    {0xFF00FF, u"Фуксия"},
    {0x00FFFF, u"Морская волна"},
    {0xFFFFFF, u"Белый"},
}};
