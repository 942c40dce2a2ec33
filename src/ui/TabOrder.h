#pragma once
// Where Tab and Shift+Tab move the focus among MainWindow's controls, for every window layer.

#include <functional>

#include "ui/ControlId.h"

// The control that holds the focus by the layer's own test; -1 where none does. The splitter
// is never asked: the text controls inside it answer for themselves.
int ControlHoldingFocus(const std::function<bool(ControlId)>& holdsFocus);

// The control that Tab (forward) or Shift+Tab moves the focus to from `current` (-1 for none):
// the next one in creation order, round the end, that can take it; the splitter never takes
// it. -1 when none can.
int NextFocusControl(int current, bool forward, const std::function<bool(ControlId)>& canTakeFocus);
