#pragma once
// How the Qt widgets report user actions: the bound handler runs at once, then the event is
// queued for the program's loop.

#include "ui/Window.h"

void RaiseControlEvent(ControlId id, ControlEventKind kind);
void RaiseWindowEvent(EventType type);
