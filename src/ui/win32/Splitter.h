#pragma once
// ViewSplitter: a window class of the program's own stacking ReceiveView over SendEditor.

#include <windows.h>

// Creates the splitter and makes the two text controls its parts.
HWND CreateViewSplitter(HWND parent, int x, int y, int width, int height, int commandId, HWND upper,
                        HWND lower);
