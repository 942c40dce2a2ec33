#include "support/qt/WindowFixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

#include "app/Startup.h"
#include "ui/qt/QtText.h"

namespace {

Place PlaceOf(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

} // namespace

QRect WindowTest::placeOf(ControlId id) const {
    QWidget* widget = control(id);
    return QRect(widget->mapTo(window(), QPoint(0, 0)), widget->size());
}

Place WindowUnderTest::PlaceOfControl(ControlId id) const {
    QWidget* widget = TheMainWindow()->control(id);
    return PlaceOf(QRect(widget->mapTo(TheMainWindow(), QPoint(0, 0)), widget->size()));
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

void WindowUnderTest::ClickOn(ControlId id) {
    QTest::mouseClick(TheMainWindow()->control(id), Qt::LeftButton);
}

// The Up and Down keys, which step the spin box as its arrows do.
void WindowUnderTest::StepSpin(bool up) {
    QSpinBox* spin = TheMainWindow()->spin();
    spin->setFocus();
    QTest::keyClick(spin, up ? Qt::Key_Up : Qt::Key_Down);
}

namespace {

QLineEdit* FieldOf(ControlId id) {
    if (id == TransparencySpin)
        return TheMainWindow()->spin()->findChild<QLineEdit*>();
    return TheMainWindow()->combo(id)->lineEdit();
}

} // namespace

void WindowUnderTest::TypeInto(ControlId id, const std::string& text, int start, int end) {
    QLineEdit* field = FieldOf(id);
    field->setSelection(start, (end < 0 ? field->text().size() : end) - start);
    QTest::keyClicks(field, QString::fromStdString(text));
}

std::pair<int, int> WindowUnderTest::SelectionIn(ControlId id) const {
    const QLineEdit* field = FieldOf(id);
    if (!field->hasSelectedText())
        return {field->cursorPosition(), field->cursorPosition()};
    return {field->selectionStart(), field->selectionEnd()};
}

void WindowUnderTest::PressDownIn(ControlId id) {
    QComboBox* combo = TheMainWindow()->combo(id);
    QWidget* target = combo->isEditable() ? static_cast<QWidget*>(combo->lineEdit()) : combo;
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Down);
}

Place WindowUnderTest::PlaceOfSpinArrows() const {
    QSpinBox* spin = TheMainWindow()->spin();
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.rect = spin->rect();
    const QRect up =
        spin->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, spin);
    return PlaceOf(QRect(spin->mapTo(TheMainWindow(), up.topLeft()), up.size()));
}

std::string WindowUnderTest::TooltipOf(ControlId id) const {
    return FromQString(TheMainWindow()->control(id)->toolTip());
}

std::string WindowUnderTest::AccessibleNameOf(ControlId id) const {
    return FromQString(AccessibleName(TheMainWindow()->control(id)));
}

// Each style of the Qt installation; the controls take the style that is current when they are
// made.
void WindowUnderTest::InEachLook(const std::function<void()>& check) {
    const QString kept = QApplication::style()->name();
    for (const QString& style : QStyleFactory::keys()) {
        SCOPED_TRACE(style.toStdString());
        QApplication::setStyle(style);
        DestroyMainWindow();
        CreateMainWindow();
        SetUpControls();
        ShowAndActivate();
        check();
    }
    QApplication::setStyle(kept);
}

Place WindowUnderTest::ScreenArea() const {
    return PlaceOf(TheMainWindow()->screen()->availableGeometry());
}

Place WindowUnderTest::ScreenPlaceOfControl(ControlId id) const {
    QWidget* widget = TheMainWindow()->control(id);
    return PlaceOf(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
}

std::vector<WindowUnderTest::ListOpening> WindowUnderTest::ListOpenings() const {
    // On the arrow, which opens the list of the editable box too.
    return {{"click on the arrow", [](ControlId id) {
                 QComboBox* combo = TheMainWindow()->combo(id);
                 QTest::mouseClick(combo, Qt::LeftButton, {},
                                   QPoint(combo->width() - 5, combo->height() / 2));
             }}};
}

bool WindowUnderTest::ListIsOpen(ControlId id) const {
    return TheMainWindow()->combo(id)->view()->window()->isVisible();
}

Place WindowUnderTest::ScreenPlaceOfList(ControlId id) const {
    return PlaceOf(TheMainWindow()->combo(id)->view()->window()->geometry());
}

bool WindowUnderTest::ListScrolls(ControlId id) const {
    return TheMainWindow()->combo(id)->view()->verticalScrollBar()->isVisible();
}

void WindowUnderTest::CloseListWithEscape(ControlId id) {
    QTest::keyClick(TheMainWindow()->combo(id)->view(), Qt::Key_Escape);
}

const int kListOverlap = 1;
const bool kListsQueueNoEvents = true;

QString AccessibleName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}
