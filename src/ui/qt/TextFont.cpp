#include "ui/qt/TextFont.h"

#include <algorithm>
#include <cmath>
#include <QApplication>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

#include "ui/qt/QtText.h"
#include "ui/qt/TextColours.h"

namespace {

// Far beyond any screen; keeps a stored size of any value within integer range.
constexpr double kLargestPixelHeight = 32767;

} // namespace

int FontPixelHeight(int32_t points) {
    const QScreen* screen = QApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const double pixels = std::clamp(static_cast<double>(points) * dpi / 72.0, -kLargestPixelHeight,
                                     kLargestPixelHeight);
    return static_cast<int>(std::lround(pixels));
}

int PixelSizeForCellHeight(QFont font, int cellHeight) {
    const auto cellAt = [&font](int pixels) {
        font.setPixelSize(pixels);
        return QFontMetrics(font).height();
    };
    // The cell grows with the size; the largest size whose cell still fits is the one.
    int fits = 1;
    int tooLarge = cellHeight + 1;
    while (tooLarge - fits > 1) {
        const int middle = fits + (tooLarge - fits) / 2;
        (cellAt(middle) <= cellHeight ? fits : tooLarge) = middle;
    }
    return fits;
}

QFont BuildTextFont(const FontSettings& settings) {
    QFont font(ToQString(settings.Name));
    font.setWeight((settings.Style & Bold) ? QFont::Bold : QFont::Normal);
    font.setItalic(settings.Style & Italic);
    font.setUnderline(settings.Style & Underline);
    font.setStrikeOut(settings.Style & StrikeOut);
    if (settings.Style & ProofQuality)
        font.setStyleStrategy(QFont::PreferQuality);
    // A positive size gives the character height, a negative one the cell height; 0 lets the
    // font take its default size.
    const int pixels = FontPixelHeight(settings.Size);
    if (pixels > 0)
        font.setPixelSize(pixels);
    else if (pixels < 0)
        font.setPixelSize(PixelSizeForCellHeight(font, -pixels));
    return font;
}

QColor TextColor(int32_t colorValue) {
    if (colorValue == kAutomaticColour)
        return {};
    const auto value = static_cast<uint32_t>(colorValue);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int32_t ColorValue(const QColor& color) {
    return color.red() | color.green() << 8 | color.blue() << 16;
}

void SetTextFontAndColor(QWidget* textControl, const QFont& font, const QColor& color) {
    textControl->setFont(font);
    FollowDesktopPalette(textControl, color);
}
