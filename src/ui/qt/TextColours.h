#pragma once
// The colours of the two text controls and of the font chooser's sample. The automatic text
// colour (an invalid QColor) shows the desktop's text on the desktop's base colour; a fixed one
// keeps its colour on the base colour when it reads there, else on base or white, whichever
// reads better, or on black where that still reads poorly. Selected text and the caret get colours
// that stand out on what they lie on.

#include <QColor>
#include <QPalette>

class QWidget;

// Gives the control its text, base and selected text colours by that rule, now and again
// whenever the desktop's palette changes while the program runs; every other colour stays the
// desktop's. The control draws its text in the Text role on Base.
void FollowDesktopPalette(QWidget* control, const QColor& text);

// The caret: the text colour where it reaches 3:1 on the background, else black or white.
QColor CaretColor(const QPalette& palette);
