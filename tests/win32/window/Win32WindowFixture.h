#pragma once
// The real Win32 main window, created and set up as at start-up, still hidden.

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

#include "ui/win32/MainWindowState.h"
#include "ui/Window.h"

class Win32WindowTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The control's outer rectangle in MainWindow's client area.
    RECT PlaceOf(HWND control) const;
    RECT PlaceOf(ControlId id) const { return PlaceOf(ControlHandle(id)); }
    SIZE ClientSize() const;
    // Delivers what is posted as the program's loop does, then takes the queued events
    // without waiting.
    std::vector<WindowEvent> SettleAndTakeEvents();
};

std::string ClassOf(HWND window);
