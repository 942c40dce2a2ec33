#include "support/qt/WindowFixture.h"

#include <QTest>

#include "app/Startup.h"
#include "shared/TerminalState.h"

void WindowTest::SetUp() {
    terminal = TerminalState{};
    CreateMainWindow();
    SetUpControls();
}

void WindowTest::TearDown() {
    DestroyMainWindow();
}

QRect WindowTest::placeOf(ControlId id) const {
    QWidget* widget = control(id);
    return QRect(widget->mapTo(window(), QPoint(0, 0)), widget->size());
}

std::vector<WindowEvent> WindowTest::settleAndTakeEvents() {
    QApplication::processEvents();
    return TakePendingEvents();
}

void ShowAndActivateMainWindow() {
    ShowMainWindow();
    QApplication::setActiveWindow(TheMainWindow());
    ASSERT_TRUE(QTest::qWaitForWindowActive(TheMainWindow()));
}

void WindowTest::showAndActivate() {
    ASSERT_NO_FATAL_FAILURE(ShowAndActivateMainWindow());
    TakePendingEvents();
}
