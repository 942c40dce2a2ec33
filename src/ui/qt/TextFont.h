#pragma once
// The text controls' font, built from FontSettings.

#include <QColor>
#include <QFont>

#include "shared/TerminalState.h"

// Pixels of a point size on the display, rounded half away from zero: 12 points at 96 dpi are
// 16 pixels, -12 points -16. The text font's height is the negative of it: a positive size gives
// the character height, a negative one the cell height (ascent plus descent).
int FontPixelHeight(int32_t points);

// The largest pixel size (character height) at which the font's cell height is at most
// cellHeight; 1 when even that is taller.
int PixelSizeForCellHeight(QFont font, int cellHeight);

QFont BuildTextFont(const FontSettings& settings);

// An invalid colour stands for the palette's automatic text colour.
QColor TextColor(int32_t colorValue);
int32_t ColorValue(const QColor& color);

// The colour's background and the desktop's palette changes: TextColours.h.
void SetTextFontAndColor(QWidget* textControl, const QFont& font, const QColor& color);
