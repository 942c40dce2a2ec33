#pragma once
// What the Win32 window layer's files share: the window, its controls, and the guard that
// keeps the program's own changes from raising events.

#include <string>
#include <windows.h>

#include "ui/EventQueue.h"

// Command identifiers of the controls: the ControlId plus this, clear of IDOK and IDCANCEL.
constexpr int kFirstCommandId = 1000;

HWND MainWindowHandle();
// The window of a control; for TransparencySpin its edit field, for the combo boxes the
// ComboBoxEx32 window.
HWND ControlHandle(ControlId id);
HWND SpinArrows();

// Drops the combo boxes' entries kept for a window no longer there.
void ForgetComboItems();

std::string WindowText(HWND window); // through the single-byte functions

// A number above the range typed into TransparencySpin's field stands for the top of the range:
// the field is rewritten to it, so that what it shows is the value applied and saved.
void CapSpinText();

// In the editable rate box, the entry whose text the field shows becomes the list's selection,
// so that Up and Down step from it; the field's text, caret and selection stay as they are.
void FollowTextWithList(ControlId id);
// Whether a combo box shows another text than when the program last set it or asked this; the
// text shown is the known one from then on.
bool ComboTextChanged(ControlId id);
// Shows the known text again, without an event.
void RestoreComboText(ControlId id);

// Held while the program changes a control, so the notifications it causes raise nothing.
class ProgramChange {
  public:
    ProgramChange();
    ~ProgramChange();
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;
};
bool ProgramIsChangingControls();
