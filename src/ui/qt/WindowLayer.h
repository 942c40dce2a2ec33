#pragma once
// Access to the Qt main window for the rest of the Qt window layer and its tests.

#include "ui/EventQueue.h"

class MainWindowWidget;

MainWindowWidget* TheMainWindow();
