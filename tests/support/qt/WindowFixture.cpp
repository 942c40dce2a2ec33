#include "support/qt/WindowFixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyleOption>
#include <QTest>

#include "ui/qt/QtText.h"

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

std::string GetTitle() {
    return FromQString(TheMainWindow()->windowTitle());
}

void ShowAndActivateMainWindow() {
    ShowMainWindow();
    QApplication::setActiveWindow(TheMainWindow());
    ASSERT_TRUE(QTest::qWaitForWindowActive(TheMainWindow()));
}

void WindowUnderTest::ShowAndActivate() {
    ASSERT_NO_FATAL_FAILURE(ShowAndActivateMainWindow());
    TakePendingEvents();
}

void WindowTest::showAndActivate() {
    ShowAndActivate();
}

void WindowUnderTest::ClickOn(ControlId id) {
    QTest::mouseClick(TheMainWindow()->control(id), Qt::LeftButton);
}

// The Up and Down keys, which step the spin box as its arrows do.
void WindowUnderTest::StepSpin(bool up) {
    QSpinBox* spin = TheMainWindow()->spin();
    spin->setFocus();
    QTest::keyClick(spin, up ? Qt::Key_Up : Qt::Key_Down);
}

void WindowUnderTest::TypeIntoSpin(const std::string& text) {
    auto* field = TheMainWindow()->spin()->findChild<QLineEdit*>();
    field->selectAll();
    QTest::keyClicks(field, QString::fromStdString(text));
}

Place WindowUnderTest::PlaceOfSpinArrows() const {
    QSpinBox* spin = TheMainWindow()->spin();
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.rect = spin->rect();
    const QRect up =
        spin->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, spin);
    const QPoint corner = spin->mapTo(TheMainWindow(), up.topLeft());
    return {corner.x(), corner.y(), up.width(), up.height()};
}

std::string WindowUnderTest::TooltipOf(ControlId id) const {
    return FromQString(TheMainWindow()->control(id)->toolTip());
}

std::string WindowUnderTest::AccessibleNameOf(ControlId id) const {
    return FromQString(AccessibleName(TheMainWindow()->control(id)));
}

QString AccessibleName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}
