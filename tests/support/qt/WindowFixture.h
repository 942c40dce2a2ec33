#pragma once
// The real Qt main window, created and set up as at start-up, still hidden.

#include <QApplication>
#include <QRect>

#include "support/WindowUnderTest.h"
#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/WindowLayer.h"

// Shows the main window and waits until it is the active one, as a user's click would make it.
void ShowAndActivateMainWindow();

// What assistive tools call the widget.
QString AccessibleName(QWidget* widget);

class WindowTest : public WindowUnderTest {
  protected:
    MainWindowWidget* window() const { return TheMainWindow(); }
    QWidget* control(ControlId id) const { return TheMainWindow()->control(id); }
    // Geometry in the client area of the main window.
    QRect placeOf(ControlId id) const;
};
