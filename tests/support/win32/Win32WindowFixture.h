#pragma once
// The real Win32 main window, created and set up as at start-up, still hidden.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

#include <richedit.h>

#include "support/WindowUnderTest.h"
#include "ui/win32/MainWindowState.h"

// Settling delivers what is posted as the program's loop does, without its actions.
class Win32WindowTest : public WindowUnderTest {
  protected:
    // The window's outer rectangle in MainWindow's client area; for TransparencySpin its edit
    // field alone.
    RECT PlaceOf(HWND control) const;
    RECT PlaceOf(ControlId id) const { return PlaceOf(ControlHandle(id)); }
    SIZE ClientSize() const;
};

std::string ClassOf(HWND window);

// The main window's tooltip control, which holds the tooltips of all its controls.
HWND TooltipsWindow();
// What a client reads of a window's accessible object: its role, and its name in Windows-1251.
std::pair<long, std::string> RoleAndName(HWND window);

// What the rich-text control makes of the font and colour, for text added from now on.
CHARFORMATA DefaultFormat(ControlId id);

// Opens a modal dialog with `open`, hands it to `inspect` once it is shown, then closes it by
// pressing `button`; fails the test if no dialog appeared.
void WhileDialogIsOpen(const std::function<void()>& open, std::function<void(HWND)> inspect,
                       int button);

constexpr int kMessageText = 0xFFFF; // the message box's text field
std::string ItemText(HWND dialog, int item);

// Wine takes the foreground change from the display server, so it may come a moment later.
bool BecomesForeground(HWND window);

// Real input, as a user gives it: through the system's input queue, so that the program's
// loop translates the keys into characters. Keys go to the focused window of the foreground
// window. Each call lets the input through as the program's loop would (without its actions)
// before it returns.
// Holds the keys down in the order given and releases them in reverse; the last one is
// the extended key of its name when asked (keypad Enter is an extended VK_RETURN).
void PressKeys(const std::vector<WORD>& keys, bool extended = false);
void TypeKeys(const std::string& text); // letters, digits and the characters on their keys
void MoveMouseTo(POINT screen);
// The mouse moved to a point of the screen with the buttons given, for SendInput; nothing is
// delivered, so that a loop of the system's own can take it.
INPUT MouseInput(POINT screen, DWORD buttons);
void ClickAt(POINT screen);
POINT ScreenPointOf(HWND window, int x, int y); // a point of the window's client area
