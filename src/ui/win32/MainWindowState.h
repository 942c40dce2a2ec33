#pragma once
// What the Win32 window layer's files share: the window, its controls and the event queue.

#include <windows.h>

#include "ui/Window.h"

// Command identifiers of the controls: the ControlId plus this, clear of IDOK and IDCANCEL.
constexpr int kFirstCommandId = 1000;

HWND MainWindowHandle();
// The window of a control; for TransparencySpin its edit field, for the combo boxes the
// ComboBoxEx32 window.
HWND ControlHandle(ControlId id);
HWND SpinArrows();

// Runs the bound handler at once, then queues the event for the program's loop. Nothing is
// raised while the program itself is changing a control.
void RaiseControlEvent(ControlId id, ControlEventKind kind);
void RaiseWindowEvent(EventType type);
void RaiseTimerEvent();
// Drops the bindings and the queued events.
void ForgetEvents();
// Drops the combo boxes' entries kept for a window no longer there.
void ForgetComboItems();

// Held while the program changes a control, so the notifications it causes raise nothing.
class ProgramChange {
  public:
    ProgramChange();
    ~ProgramChange();
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;
};
bool ProgramIsChangingControls();
