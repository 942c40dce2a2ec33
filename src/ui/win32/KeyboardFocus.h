#pragma once
// Tab and Shift+Tab over MainWindow's controls, taken before the focused control sees them.

#include <windows.h>

// The control whose window, or a window inside it, has the focus; -1 for none.
int FocusedControl(HWND focus);

// True when the message was a Tab key for MainWindow and the focus has moved.
bool TakeFocusKey(const MSG& message);
