#include "ui/qt/ReceiveViewGlyphs.h"

#include <cmath>
#include <QFontMetricsF>

#include "shared/Cp1251.h"

QFont ViewDrawingFont(const QFont& font) {
    QFont result = font;
    result.setKerning(false);
    result.setStyleStrategy(QFont::StyleStrategy(result.styleStrategy() | QFont::PreferNoShaping));
    return result;
}

bool IsShownByte(unsigned char b) {
    const char16_t u = kCp1251ToUnicode[b];
    return u >= 0x20 && !(u >= 0x7F && u < 0xA0);
}

GlyphAdvances MeasureGlyphs(const QFont& drawingFont) {
    const QFontMetricsF metrics(drawingFont);
    GlyphAdvances glyphs;
    for (int b = 0; b < 256; ++b) {
        if (IsShownByte(static_cast<unsigned char>(b))) {
            const qreal advance = metrics.horizontalAdvance(QChar(kCp1251ToUnicode[b]));
            glyphs.advance[b] = static_cast<std::int32_t>(std::lround(advance * kUnitsPerPixel));
        }
    }
    glyphs.tabStop = 8 * glyphs.advance[' '];
    return glyphs;
}
