#include "support/qt/WindowFixture.h"

#include <QTest>

QRect WindowTest::placeOf(ControlId id) const {
    QWidget* widget = control(id);
    return QRect(widget->mapTo(window(), QPoint(0, 0)), widget->size());
}

Place WindowUnderTest::PlaceOfControl(ControlId id) const {
    QWidget* widget = TheMainWindow()->control(id);
    const QPoint corner = widget->mapTo(TheMainWindow(), QPoint(0, 0));
    return {corner.x(), corner.y(), widget->width(), widget->height()};
}

Place WindowUnderTest::ClientArea() const {
    return {0, 0, TheMainWindow()->width(), TheMainWindow()->height()};
}

bool WindowUnderTest::IsShown() const {
    return TheMainWindow()->isVisible();
}

std::vector<WindowEvent> WindowUnderTest::SettleAndTakeEvents() {
    QApplication::processEvents();
    return TakePendingEvents();
}

void WindowUnderTest::AskToClose() {
    TheMainWindow()->close();
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
