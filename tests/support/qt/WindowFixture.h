#pragma once
// The real main window, created and set up as at start-up, still hidden.

#include <gtest/gtest.h>
#include <QApplication>
#include <QRect>

#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/WindowLayer.h"
#include "ui/Window.h"

// Shows the main window and waits until it is the active one, as a user's click would make it.
void ShowAndActivateMainWindow();

class WindowTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    MainWindowWidget* window() const { return TheMainWindow(); }
    QWidget* control(ControlId id) const { return TheMainWindow()->control(id); }
    // Geometry in the client area of the main window.
    QRect placeOf(ControlId id) const;
    // Lets Qt deliver what is posted, then takes the queued events.
    std::vector<WindowEvent> settleAndTakeEvents();
    void showAndActivate();
};
