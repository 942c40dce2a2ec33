#pragma once

#include "ui/Window.h"

// What the loop itself does with an event once its bound handler, if any, has run.
void RunLoopAction(const WindowEvent& event);

// Takes events until the close event.
void RunEventLoop();
