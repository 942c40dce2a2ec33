#pragma once
// The text controls' font, built from FontSettings.

#include <QColor>
#include <QFont>

#include "shared/TerminalState.h"

// Pixel height of a point size on the display: 12 points at 96 dpi are 16 pixels.
int FontPixelHeight(int32_t points);

QFont BuildTextFont(const FontSettings& settings);

// An invalid colour stands for the palette's automatic text colour.
QColor TextColor(int32_t colorValue);
int32_t ColorValue(const QColor& color);

void SetTextFontAndColor(QWidget* textControl, const QFont& font, const QColor& color);
