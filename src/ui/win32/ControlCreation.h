#pragma once
// The sixteen controls of MainWindow with their Win32 classes, places and tooltips.

#include <windows.h>

#include "ui/ControlId.h"

struct CreatedControls {
    HWND controls[kControlCount] = {};
    HWND spinArrows = nullptr; // the up-down control beside TransparencySpin's edit field
};

CreatedControls CreateControls(HWND window);
