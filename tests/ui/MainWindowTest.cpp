#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyleFactory>
#include <QTest>

#include "app/Startup.h"
#include "shared/TerminalState.h"
#include "support/qt/WindowFixture.h"
#include "ui/ControlHandlers.h"
#include "ui/qt/ItemDescriptionDelegate.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/SendEditorWidget.h"

namespace {

struct ExpectedTooltip {
    ControlId id;
    const char16_t* tooltip;
};

const ExpectedTooltip kTooltips[] = {
    {AutoConnectCheck, u"Автоподключение"},
    {ConnectButton, u"Подключить/отключить"},
    {PortCombo, u""},
    {BaudCombo, u""},
    {HexOption, u""},
    {CharOption, u""},
    {BinOption, u""},
    {LogCheck, u""},
    {OnTopCheck, u"Поверх остальных окон"},
    {NewDateCheck, u"Создавать новый лог с текущей датой при каждом соединении"},
    {TransparencySpin, u"Прозрачность окна"},
    {ClearButton, u"Очистить"},
    {FontButton, u""},
    {ViewSplitter, u""},
};

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

} // namespace

TEST_F(WindowTest, TooltipsAndIcon) {
    EXPECT_EQ(window()->windowTitle(), Q(u"Порт закрыт"));
    EXPECT_EQ(window()->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    for (const ExpectedTooltip& expected : kTooltips)
        EXPECT_EQ(control(expected.id)->toolTip(), Q(expected.tooltip)) << expected.id;
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

// A Windows window cannot be made this small, so this part of the layout rule is tested here.
TEST_F(WindowTest, LayoutCountsNegativeSizesAsZero) {
    PlaceWindow({kKeepPlacement, kKeepPlacement, 2, 50});
    ApplyLayout();
    EXPECT_EQ(placeOf(ViewSplitter), QRect(0, 68, 0, 0)) << "negative sizes count as zero";
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
    for (const WindowEvent& event : SettleAndTakeEvents())
        EXPECT_NE(event.type, EventType::Control) << "control " << event.control;
}

TEST_F(WindowTest, DropDownListsOpenBelowOrAboveTheirBoxAsScrollingListsInEveryStyle) {
    struct StyleKept {
        QString name = QApplication::style()->name();
        ~StyleKept() { QApplication::setStyle(name); }
    } kept;
    for (const QString& style : QStyleFactory::keys()) {
        SCOPED_TRACE(style.toStdString());
        // The controls take the style that is current when they are made.
        QApplication::setStyle(style);
        DestroyMainWindow();
        CreateMainWindow();
        SetUpControls();
        showAndActivate();
        const QRect screen = window()->screen()->availableGeometry();
        for (ControlId id : {PortCombo, BaudCombo}) {
            for (const bool atScreenEnd : {false, true}) {
                SCOPED_TRACE(id * 10 + atScreenEnd);
                window()->move(screen.left() + 20,
                               atScreenEnd ? screen.bottom() - 100 : screen.top() + 20);
                QComboBox* combo = window()->combo(id);
                const QRect box(combo->mapToGlobal(QPoint(0, 0)), combo->size());
                // On the arrow, which opens the list of the editable box too.
                QTest::mouseClick(combo, Qt::LeftButton, {},
                                  QPoint(combo->width() - 5, combo->height() / 2));
                QWidget* list = combo->view()->window();
                ASSERT_TRUE(list->isVisible());
                const QRect opened = list->geometry();
                EXPECT_LE(opened.height(), 350);
                if (atScreenEnd) {
                    EXPECT_GE(opened.bottom(), box.top() - 1);
                    EXPECT_LE(opened.bottom(), box.top());
                } else {
                    EXPECT_GE(opened.top(), box.bottom());
                    EXPECT_LE(opened.top(), box.bottom() + 1);
                }
                // All twelve rates fit; the 256 ports scroll.
                EXPECT_EQ(combo->view()->verticalScrollBar()->isVisible(), id == PortCombo);
                QTest::keyClick(combo->view(), Qt::Key_Escape);
                EXPECT_FALSE(list->isVisible());
            }
        }
        for (const WindowEvent& event : SettleAndTakeEvents())
            EXPECT_NE(event.type, EventType::Control) << "control " << event.control;
    }
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
    const std::vector<WindowEvent> events = SettleAndTakeEvents();
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
