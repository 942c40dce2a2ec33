#pragma once
// What the receive view needs from a Qt font for Windows-1251 bytes.

#include <QFont>

#include "ui/textview/GlyphAdvances.h"

// Glyph advances are kept in 1/64 pixel.
constexpr int kUnitsPerPixel = 64;

// The font as the view draws it: without kerning or shaping, so a run of text is exactly as
// wide as the sum of its bytes' advances.
QFont ViewDrawingFont(const QFont& font);
// Advances of every byte in the drawing font; control characters other than tab are not shown
// and take no room. Tab stops every eight spaces.
GlyphAdvances MeasureGlyphs(const QFont& drawingFont);
// Control characters are not drawn.
bool IsShownByte(unsigned char b);
