#pragma once
// What building the text font and presetting the font chooser share.

#include <windows.h>

#include "shared/TerminalState.h"

// The character height in pixels for a point size on the display, negative as CreateFontA
// takes it: 12 points at 96 dots per inch give -16.
int FontHeight(int32_t points);
