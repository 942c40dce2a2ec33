#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "shared/TerminalState.h"
#include "support/qt/WindowFixture.h"
#include "ui/ControlHandlers.h"
#include "ui/qt/ItemDescriptionDelegate.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/SendEditorWidget.h"

namespace {

struct ExpectedControl {
    ControlId id;
    QRect place;
    const char16_t* caption;
    const char16_t* tooltip;
};

const ExpectedControl kExpected[] = {
    {AutoConnectCheck, {12, 4, 84, 16}, u"Autoconnect", u"Автоподключение"},
    {ConnectButton, {12, 20, 80, 20}, u"Соединить", u"Подключить/отключить"},
    {PortCombo, {100, 20, 64, 20}, u"", u""},
    {BaudCombo, {100, 42, 64, 22}, u"", u""},
    {HexOption, {170, 36, 44, 16}, u"HEX", u""},
    {CharOption, {170, 52, 44, 16}, u"Char", u""},
    {BinOption, {170, 20, 44, 16}, u"Bin", u""},
    {LogCheck, {168, 4, 42, 16}, u"Лог", u""},
    {OnTopCheck, {100, 4, 64, 16}, u"Наверху", u"Поверх остальных окон"},
    {NewDateCheck,
     {212, 4, 80, 16},
     u"Новая дата",
     u"Создавать новый лог с текущей датой при каждом соединении"},
    {TransparencySpin, {222, 20, 62, 20}, u"", u"Прозрачность окна"},
    {ClearButton, {12, 44, 80, 20}, u"Очистить", u"Очистить"},
    {FontButton, {222, 46, 62, 18}, u"Шрифт", u""},
    {ViewSplitter, {0, 68, 288, 240}, u"", u""},
};

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

} // namespace

TEST_F(WindowTest, CreatedHiddenWithEveryControlInPlace) {
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(window()->size(), QSize(292, 312));
    EXPECT_EQ(window()->windowTitle(), Q(u"Порт закрыт"));
    EXPECT_EQ(window()->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    for (const ExpectedControl& expected : kExpected) {
        SCOPED_TRACE(expected.id);
        EXPECT_EQ(placeOf(expected.id), expected.place);
        EXPECT_EQ(control(expected.id)->toolTip(), Q(expected.tooltip));
        if (auto* button = qobject_cast<QAbstractButton*>(control(expected.id))) {
            EXPECT_EQ(button->text(), Q(expected.caption));
        }
    }
    EXPECT_EQ(placeOf(ReceiveView), QRect(0, 68, 288, 100));
    EXPECT_EQ(placeOf(SendEditor), QRect(0, 68 + 100 + 7, 288, 133));
    EXPECT_EQ(GetSplitterPosition(), 100);
}

TEST_F(WindowTest, ControlKindsAndRanges) {
    for (ControlId id : {AutoConnectCheck, LogCheck, OnTopCheck, NewDateCheck})
        EXPECT_NE(qobject_cast<QCheckBox*>(control(id)), nullptr) << id;
    auto* connect = qobject_cast<QPushButton*>(control(ConnectButton));
    ASSERT_NE(connect, nullptr);
    EXPECT_TRUE(connect->isCheckable());
    EXPECT_FALSE(connect->isChecked());
    EXPECT_FALSE(window()->combo(PortCombo)->isEditable());
    EXPECT_TRUE(window()->combo(BaudCombo)->isEditable());
    for (ControlId id : {HexOption, CharOption, BinOption}) {
        auto* option = qobject_cast<QRadioButton*>(control(id));
        ASSERT_NE(option, nullptr);
        EXPECT_FALSE(option->isChecked()) << "no option is chosen before the settings apply";
        EXPECT_EQ(option->group(), window()->optionGroup());
    }
    QSpinBox* spin = window()->spin();
    EXPECT_EQ(spin->minimum(), 20);
    EXPECT_EQ(spin->maximum(), 255);
    EXPECT_TRUE(spin->alignment() & Qt::AlignRight);
    EXPECT_NE(qobject_cast<ReceiveViewWidget*>(control(ReceiveView)), nullptr);
    EXPECT_FALSE(window()->sendEditor()->isReadOnly());
}

TEST_F(WindowTest, SpinArrowsAreEighteenPixelsWideAndKeepTheRange) {
    QSpinBox* spin = window()->spin();
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.rect = spin->rect();
    const QRect up =
        spin->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, spin);
    EXPECT_EQ(up.width(), 18);
    EXPECT_EQ(up.right(), spin->width() - 1);

    showAndActivate();
    SetSpinValue(TransparencySpin, 255);
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 255);
    SetSpinValue(TransparencySpin, 5);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 20);
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 20);
    auto* field = spin->findChild<QLineEdit*>();
    field->selectAll();
    QTest::keyClicks(field, "abc");
    EXPECT_GE(GetSpinValue(TransparencySpin), 20);
    EXPECT_LE(GetSpinValue(TransparencySpin), 255);
}

TEST_F(WindowTest, LayoutRuleMovesOnlyTheSplitter) {
    PlaceWindow({100, 100, 420, 304});
    ApplyLayout();
    EXPECT_EQ(placeOf(ViewSplitter), QRect(0, 68, 416, 232));
    EXPECT_EQ(placeOf(SendEditor).height(), 133) << "the send editor keeps its height";
    EXPECT_EQ(placeOf(ReceiveView).height(), 92);
    EXPECT_EQ(placeOf(ClearButton), QRect(12, 44, 80, 20));

    PlaceWindow({kKeepPlacement, kKeepPlacement, 2, 50});
    ApplyLayout();
    EXPECT_EQ(placeOf(ViewSplitter), QRect(0, 68, 0, 0)) << "negative sizes count as zero";
}

TEST_F(WindowTest, ProgramChangesRaiseNoEvents) {
    int handled = 0;
    static int* counter = nullptr;
    counter = &handled;
    for (int id = 0; id < kControlCount; ++id)
        BindControlHandler(ControlId(id), BindKind::Any, [] { ++*counter; });
    showAndActivate();

    SetChecked(AutoConnectCheck, true);
    SetChecked(ConnectButton, true);
    SetChecked(CharOption, true);
    SetChecked(CharOption, false);
    SetText(BaudCombo, "19200");
    AddItem(PortCombo, "COM1");
    AddItem(PortCombo, "COM2");
    SetText(PortCombo, "com2");
    SetSpinValue(TransparencySpin, 100);
    SetText(TransparencySpin, "120");
    SetSplitterPosition(60);
    SetText(ReceiveView, "x");
    AppendToView(ReceiveView, "y");
    SetTitle("t");

    EXPECT_EQ(handled, 0);
    for (const WindowEvent& event : settleAndTakeEvents())
        EXPECT_NE(event.type, EventType::Control) << "control " << event.control;
    EXPECT_EQ(GetText(PortCombo), "COM2") << "the first entry the text begins, case ignored";
    EXPECT_FALSE(IsChecked(CharOption));
    EXPECT_EQ(GetSpinValue(TransparencySpin), 120);
}

TEST_F(WindowTest, PortTextIgnoresTheCaseOfAsciiLettersOnly) {
    AddItem(PortCombo, "\xC0\xC1"); // Cyrillic capitals
    SetText(PortCombo, "com3");
    EXPECT_EQ(GetText(PortCombo), "COM3");
    SetText(PortCombo, "\xE0"); // the small one of the first
    EXPECT_EQ(GetText(PortCombo), "COM3") << "no entry begins with it";
    SetText(PortCombo, "\xC0");
    EXPECT_EQ(GetText(PortCombo), "\xC0\xC1");
}

TEST_F(WindowTest, DropDownDescriptionsAreMadeAfreshEachTimeTheListOpens) {
    static std::string state;
    state = "here";
    SetItemDescriber(PortCombo, [](const std::string& entry) {
        return ItemDescription{entry + " " + state, entry == "X1" && state == "here"};
    });
    AddItem(PortCombo, "X1");
    showAndActivate();
    QComboBox* combo = window()->combo(PortCombo);
    const int last = combo->count() - 1;
    const auto shown = [combo](int row) {
        return combo->itemData(row, ItemDescriptionDelegate::kDescriptionRole).toString();
    };
    // The font the list paints the entry in, where it has one of its own.
    const auto bold = [combo](int row) {
        const QVariant font = combo->itemData(row, Qt::FontRole);
        return font.isValid() && font.value<QFont>().bold();
    };

    combo->showPopup();
    EXPECT_EQ(shown(0), QStringLiteral("COM1 here"));
    EXPECT_EQ(shown(last), QStringLiteral("X1 here"));
    EXPECT_FALSE(bold(0));
    EXPECT_TRUE(bold(last)) << "an entry that stands out";
    combo->hidePopup();
    state = "gone";
    combo->showPopup();
    EXPECT_EQ(shown(0), QStringLiteral("COM1 gone"));
    EXPECT_FALSE(bold(last)) << "no longer standing out";
    combo->hidePopup();

    EXPECT_EQ(combo->itemText(0), QStringLiteral("COM1")) << "the entry itself stays";
    EXPECT_EQ(GetText(PortCombo), "");
    for (const WindowEvent& event : settleAndTakeEvents())
        EXPECT_NE(event.type, EventType::Control) << "control " << event.control;
}

TEST_F(WindowTest, UserActionsRunTheHandlerThenQueueTheEvent) {
    static std::vector<std::string> seen;
    seen.clear();
    BindControlHandler(BaudCombo, BindKind::ChangeOnly, [] { seen.push_back(GetText(BaudCombo)); });
    BindControlHandler(ClearButton, BindKind::Any, [] { seen.push_back("clear"); });
    EXPECT_EQ(GetText(BaudCombo), "") << "filling the list selects nothing";
    showAndActivate();

    QLineEdit* edit = window()->combo(BaudCombo)->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, "96");
    EXPECT_EQ(seen, (std::vector<std::string>{"9", "96"})) << "a change on every keystroke";
    QComboBox* rates = window()->combo(BaudCombo);
    rates->setCurrentIndex(rates->findText("19200")); // as a pick from the list does
    EXPECT_EQ(seen.back(), "19200");

    QTest::mouseClick(control(ClearButton), Qt::LeftButton);
    EXPECT_EQ(seen.back(), "clear");
    const std::vector<WindowEvent> events = settleAndTakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, EventType::Control);
    EXPECT_EQ(events.back().control, ClearButton);
}

TEST_F(WindowTest, SelectInputModeAndClearReceiveView) {
    BindControlHandler(HexOption, BindKind::Any, SelectInputMode);
    BindControlHandler(CharOption, BindKind::Any, SelectInputMode);
    BindControlHandler(BinOption, BindKind::Any, SelectInputMode);
    BindControlHandler(ClearButton, BindKind::Any, ClearReceiveView);
    showAndActivate();

    terminal.InputMode = 7;
    ClearReceiveView(); // nothing to clear: no change, no error
    EXPECT_EQ(GetText(ReceiveView), "");

    QTest::mouseClick(control(BinOption), Qt::LeftButton);
    EXPECT_EQ(terminal.InputMode, Bin);
    QTest::mouseClick(control(CharOption), Qt::LeftButton);
    EXPECT_EQ(terminal.InputMode, Char);
    EXPECT_FALSE(IsChecked(BinOption)) << "one group";
    terminal.InputMode = 7;
    QTest::mouseClick(control(CharOption), Qt::LeftButton);
    EXPECT_EQ(terminal.InputMode, Char) << "the chosen button sets its mode again";
    QTest::mouseClick(control(HexOption), Qt::LeftButton);
    EXPECT_EQ(terminal.InputMode, Hex);

    SetChecked(HexOption, false); // none chosen, as after an unknown stored mode
    terminal.InputMode = 5;
    SelectInputMode();
    EXPECT_EQ(terminal.InputMode, Hex);

    AppendToView(ReceiveView, "41 42 ");
    QTest::mouseClick(control(ClearButton), Qt::LeftButton);
    EXPECT_EQ(GetText(ReceiveView), "");
    AppendToView(ReceiveView, "43 ");
    EXPECT_EQ(GetText(ReceiveView), "43 ");
}

TEST_F(WindowTest, TabCyclesInCreationOrderWithTextControlsLast) {
    showAndActivate();
    const std::vector<QWidget*> order = {
        control(AutoConnectCheck), control(ConnectButton),    control(PortCombo),
        control(BaudCombo),        control(HexOption),        control(CharOption),
        control(BinOption),        control(LogCheck),         control(OnTopCheck),
        control(NewDateCheck),     control(TransparencySpin), control(ClearButton),
        control(FontButton),       control(ReceiveView),      control(SendEditor)};
    auto holds = [](QWidget* expected) {
        QWidget* focus = QApplication::focusWidget();
        return focus && (focus == expected || expected->isAncestorOf(focus));
    };
    control(SendEditor)->setFocus();
    for (std::size_t step = 0; step < order.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(holds(order[step])) << "step " << step;
    }
    EXPECT_EQ(GetText(SendEditor), "") << "Tab never types into the editor";
    control(AutoConnectCheck)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(holds(control(SendEditor))) << "Shift+Tab wraps to the last control";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(holds(control(ReceiveView)));
}

TEST_F(WindowTest, FocusComesBackAfterReactivation) {
    showAndActivate();
    control(SendEditor)->setFocus();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QApplication::setActiveWindow(window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    EXPECT_EQ(QApplication::focusWidget(), control(SendEditor));
}

TEST_F(WindowTest, CloseKeepsTheWindowAndQueuesTheCloseEvent) {
    showAndActivate();
    window()->close();
    const std::vector<WindowEvent> events = settleAndTakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, EventType::Close);
    EXPECT_TRUE(window()->isVisible()) << "shutdown still reads the controls";
}
