#pragma once
// The window layer's operations on MainWindow and its controls. Everything outside the window
// layer reaches the controls only through these, by ControlId. All text is Windows-1251.

#include <string>

#include "shared/ItemDescription.h"
#include "ui/ControlId.h"

// ---- Events ----

enum class EventType { Resize, Close, Control, Timer, Other };
enum class ControlEventKind { Click, Change, UpDown, Other };

// The control number that window and timer events carry. It is also AutoConnectCheck's number,
// so the loop's action for that check box runs for every window and timer event too.
constexpr int kNoControl = 0;

struct WindowEvent {
    EventType type = EventType::Other;
    int control = kNoControl; // ControlId of a control event
    ControlEventKind kind = ControlEventKind::Other;
};

using Handler = void (*)();
enum class BindKind { Any, ChangeOnly };

void CreateMainWindow(); // hidden, all sixteen controls, splitter at 100
void BindControlHandler(ControlId id, BindKind kind, Handler handler);
void BindTimerHandler(Handler handler);
void StartTimer(int periodMs);
// Runs the handler on this thread whenever the descriptor has something to read, between
// events, also while a modal dialog is open; one descriptor at a time. Watching the one already
// watched changes nothing. A negative descriptor is never watched.
void WatchDescriptor(int descriptor, Handler onReadable);
void EndDescriptorWatch();
// Runs after SendEditor has handled an Enter key (main or keypad, alone or with Shift), line
// break already inserted. Ctrl+Enter only breaks the line and Alt+Enter does nothing.
void InstallSendEditorHook(Handler onEnter);
void ShowMainWindow();
// Blocks until the window layer has an event for the program's loop; bound handlers have
// already run for it.
WindowEvent WaitForEvent();
void DestroyMainWindow();

// ---- Controls ----

bool IsChecked(ControlId id);
void SetChecked(ControlId id, bool checked);
// Combo text, button caption, or a text control's text with CR LF line breaks.
std::string GetText(ControlId id);
// For PortCombo: selects the first entry beginning with text (ASCII case ignored); empty text
// selects nothing; text that begins no entry leaves the selection as it is.
void SetText(ControlId id, const std::string& text);
void AddItem(ControlId id, const std::string& text);
// The drop-down list shows each entry as describe(entry) while the entry's text stays as it is.
void SetItemDescriber(ControlId id, ItemDescription (*describe)(const std::string& entry));
int GetSpinValue(ControlId id);
void SetSpinValue(ControlId id, int value); // kept inside the spin box's range
int GetSplitterPosition();                  // height of ReceiveView
void SetSplitterPosition(int position);
void SetSplitterMinimumSizes(int upper, int lower);
// Appends at the end of a text control, moving the insertion point there; no undo record.
void AppendToView(ControlId id, const std::string& text);

// ---- Window ----

constexpr int kKeepPlacement = -65535;

struct WindowPlacement {
    int x = 0, y = 0;          // outer frame's top-left corner, screen coordinates
    int width = 0, height = 0; // client area
};
WindowPlacement GetWindowPlacement();
void PlaceWindow(const WindowPlacement& placement); // kKeepPlacement keeps a field
void ApplyLayout();
void SetTitle(const std::string& title);

// ---- Dialogs ----

// Message box with an empty title, the text, one OK button and no icon, shown under
// ModalDialogGuard; returns when the user presses OK.
void ShowMessage(const std::string& text);
