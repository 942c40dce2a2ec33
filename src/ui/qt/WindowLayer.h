#pragma once
// Access to the Qt main window for the rest of the Qt window layer and its tests.

#include <vector>

#include "ui/Window.h"

class MainWindowWidget;

MainWindowWidget* TheMainWindow();

// Takes every queued event without waiting (WaitForEvent blocks when there is none).
std::vector<WindowEvent> TakePendingEvents();
