#pragma once
// Access to the Qt main window for the rest of the Qt window layer and its tests.

#include "ui/EventQueue.h"

class MainWindowWidget;
class QTimer;

MainWindowWidget* TheMainWindow();
// Timer 0 of the main window once started, else null.
const QTimer* TheTimer();
