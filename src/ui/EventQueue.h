#pragma once
// How a window layer reports what happened: the bound handler runs at once, then the event is
// queued for the program's loop.

#include "ui/Window.h"

void RaiseControlEvent(ControlId id, ControlEventKind kind);
void RaiseWindowEvent(EventType type);
void RaiseTimerEvent();

// Drops every control binding, the timer handler and the queued events.
void DropBindingsAndEvents();

// Takes the oldest queued event; false when none is queued.
bool TakeQueuedEvent(WindowEvent& event);
