#include "ui/qt/TextFont.h"

#include <cmath>
#include <cstdlib>
#include <QApplication>
#include <QScreen>
#include <QWidget>

#include "ui/qt/QtText.h"

int FontPixelHeight(int32_t points) {
    const QScreen* screen = QApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return static_cast<int>(std::lround(std::abs(static_cast<double>(points)) * dpi / 72.0));
}

QFont BuildTextFont(const FontSettings& settings) {
    QFont font(ToQString(settings.Name));
    const int pixels = FontPixelHeight(settings.Size);
    if (pixels > 0) // a height of 0 lets the font take its default size
        font.setPixelSize(pixels);
    font.setWeight((settings.Style & Bold) ? QFont::Bold : QFont::Normal);
    font.setItalic(settings.Style & Italic);
    font.setUnderline(settings.Style & Underline);
    font.setStrikeOut(settings.Style & StrikeOut);
    if (settings.Style & ProofQuality)
        font.setStyleStrategy(QFont::PreferQuality);
    return font;
}

QColor TextColor(int32_t colorValue) {
    if (colorValue == -1)
        return {};
    const auto value = static_cast<uint32_t>(colorValue);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int32_t ColorValue(const QColor& color) {
    return color.red() | color.green() << 8 | color.blue() << 16;
}

void SetTextFontAndColor(QWidget* textControl, const QFont& font, const QColor& color) {
    textControl->setFont(font);
    QPalette palette = textControl->palette();
    const QColor automatic = QApplication::palette(textControl).color(QPalette::Text);
    palette.setColor(QPalette::Text, color.isValid() ? color : automatic);
    textControl->setPalette(palette);
}
