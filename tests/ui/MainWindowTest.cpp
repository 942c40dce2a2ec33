#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>

#include "app/Startup.h"
#include "support/qt/WindowFixture.h"
#include "ui/qt/ItemDescriptionDelegate.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/SendEditorWidget.h"

namespace {

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

// What assistive clients hear of the window: each name change, notification shown and focus,
// with the name of its object.
std::vector<std::pair<QAccessible::Event, QString>> heard;
void Hear(QAccessibleEvent* event) {
    const QAccessible::Event type = event->type();
    QAccessibleInterface* source = event->accessibleInterface(); // the child, where one is told
    const bool notice =
        type == QAccessible::ObjectShow && source && source->role() == QAccessible::Notification;
    if (source && (type == QAccessible::NameChanged || type == QAccessible::Focus || notice))
        heard.emplace_back(type, source->text(QAccessible::Name));
}

// What the program hears: the queued events, and the check marks after them.
std::string Heard(const std::vector<WindowEvent>& events) {
    std::string heard;
    for (const WindowEvent& event : events)
        heard += std::to_string(static_cast<int>(event.type)) + ":" +
                 std::to_string(event.control) + ":" +
                 std::to_string(static_cast<int>(event.kind)) + " ";
    for (int id = 0; id < kControlCount; ++id)
        heard += IsChecked(static_cast<ControlId>(id)) ? "1" : "0";
    return heard;
}

// Where a control draws its caption or its field's text, as its style lays it out.
QRect CaptionRoom(QWidget* control) {
    QStyle* style = control->style();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents =
            qobject_cast<QCheckBox*>(button)      ? QStyle::SE_CheckBoxContents
            : qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                  : QStyle::SE_PushButtonContents;
        return style->subElementRect(contents, &option, button);
    }
    // The frameless fields of the boxes: QLineEdit keeps 2 pixels free at either end of its
    // text and needs one more after it.
    if (auto* field = qobject_cast<QLineEdit*>(control))
        return field->rect().marginsRemoved(field->textMargins()).adjusted(2, 0, -3, 0);
    auto* combo = qobject_cast<QComboBox*>(control);
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    // The label is drawn a pixel inside the field at either end.
    return style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
        .adjusted(1, 0, -1, 0);
}

} // namespace

// The controls' own texts are checked with the other window layer's.
TEST_F(WindowTest, TitleIconAndTheNamesThatFollowTheState) {
    EXPECT_EQ(window()->windowTitle(), Q(u"Порт закрыт"));
    EXPECT_EQ(window()->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    SetText(PortCombo, "COM5");
    SetText(BaudCombo, "9600");
    QAccessibleInterface* port = QAccessible::queryAccessibleInterface(control(PortCombo));
    EXPECT_EQ(AccessibleName(control(PortCombo)), Q(u"Порт COM5")) << "the name, then the entry";
    EXPECT_EQ(port->text(QAccessible::Value), QStringLiteral("COM5"));
    EXPECT_EQ(port->valueInterface()->currentValue(), 4);
    port->valueInterface()->setCurrentValue(5);
    EXPECT_EQ(GetText(PortCombo), "COM6");
    EXPECT_EQ(AccessibleName(control(BaudCombo)), Q(u"Скорость"));
    SetTitle(Cp1251(u"Порт открыт"));
    EXPECT_EQ(AccessibleName(window()), Q(u"Порт открыт"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window())->role(), QAccessible::Window);
}

TEST_F(WindowTest, AssistiveClientsHearTheEntryShownTheOpenedListsEntryAndEachNewTitle) {
    ShowAndActivate();
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QAccessible::installUpdateHandler(Hear);
    SetText(PortCombo, "COM5");
    window()->combo(PortCombo)->showPopup();
    QApplication::processEvents();
    const auto lastFocus = std::find_if(heard.rbegin(), heard.rend(), [](const auto& each) {
        return each.first == QAccessible::Focus;
    });
    ASSERT_NE(lastFocus, heard.rend());
    EXPECT_EQ(lastFocus->second, Q(u"COM5")) << "the list's current entry, not the list";
    window()->combo(PortCombo)->hidePopup();
    for (const char16_t* title : {u"Порт открыт", u"Порт открыт", u"Порт закрыт"})
        SetTitle(Cp1251(title));
    QAccessible::installUpdateHandler(nullptr);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    const std::pair renamed{QAccessible::NameChanged, Q(u"Порт COM5")};
    EXPECT_NE(std::find(heard.begin(), heard.end(), renamed), heard.end()) << "the entry shown";
    std::vector<QString> shown;
    for (const auto& [type, name] : heard)
        if (type == QAccessible::ObjectShow)
            shown.push_back(name);
    EXPECT_EQ(shown, (std::vector{Q(u"Порт открыт"), Q(u"Порт закрыт")})) << "once each";
}

// Each clickable control is clicked with the mouse, put back as it was, and then driven by
// its assistive action, twice over, so that an option button chosen already is clicked too.
TEST_F(WindowTest, AssistiveToggleAndPressActionsAreClicks) {
    static std::string handled;
    const ControlId clickable[] = {AutoConnectCheck, ConnectButton, HexOption,  CharOption,
                                   BinOption,        LogCheck,      OnTopCheck, NewDateCheck,
                                   ClearButton,      FontButton};
    for (ControlId id : clickable)
        BindControlHandler(id, BindKind::Any, [] { handled += "h"; });
    ShowAndActivate();
    for (int pass = 0; pass < 2; ++pass) {
        for (ControlId id : clickable) {
            SCOPED_TRACE(pass * 100 + id);
            std::vector<ControlId> checked;
            for (ControlId each : clickable)
                if (IsChecked(each))
                    checked.push_back(each);
            handled.clear();
            QTest::mouseClick(control(id), Qt::LeftButton);
            const std::string byMouse = Heard(SettleAndTakeEvents()) + handled;
            for (ControlId each : clickable)
                SetChecked(each, false);
            for (ControlId each : checked)
                SetChecked(each, true);
            handled.clear();
            QAccessibleInterface* button = QAccessible::queryAccessibleInterface(control(id));
            const QStringList actions = button->actionInterface()->actionNames();
            ASSERT_FALSE(actions.isEmpty());
            const bool checkable = id != ClearButton && id != FontButton;
            EXPECT_EQ(actions.first(), checkable ? QAccessibleActionInterface::toggleAction()
                                                 : QAccessibleActionInterface::pressAction());
            button->actionInterface()->doAction(actions.first());
            EXPECT_EQ(handled, checkable ? "h" : "") << "a press replies before it acts";
            EXPECT_EQ(Heard(SettleAndTakeEvents()) + handled, byMouse);
            EXPECT_EQ(handled, "h");
        }
    }
}

TEST_F(WindowTest, AValueSetByAnAssistiveToolIsAChange) {
    ShowAndActivate();
    QSpinBox* spin = window()->spin();
    QAccessibleValueInterface* value =
        QAccessible::queryAccessibleInterface(spin)->valueInterface();
    ASSERT_NE(value, nullptr);
    static int changes;
    changes = 0;
    BindControlHandler(TransparencySpin, BindKind::ChangeOnly, [] { ++changes; });
    value->setCurrentValue(100);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 100);
    const std::string change =
        Heard({{EventType::Control, TransparencySpin, ControlEventKind::Change}});
    EXPECT_EQ(Heard(SettleAndTakeEvents()), change);
    value->setCurrentValue(100);
    EXPECT_EQ(Heard(SettleAndTakeEvents()), Heard({})) << "no change, no event";
    SetSpinValue(TransparencySpin, 50);
    EXPECT_EQ(Heard(SettleAndTakeEvents()), Heard({})) << "the program's own change";
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(Heard(SettleAndTakeEvents()),
              Heard({{EventType::Control, TransparencySpin, ControlEventKind::Change},
                     {EventType::Control, TransparencySpin, ControlEventKind::UpDown}}));
    EXPECT_EQ(changes, 2) << "a step is one change";
    auto* field = spin->findChild<QLineEdit*>();
    field->selectAll();
    for (int key = 0; key < 2; ++key) {
        QTest::keyClicks(field, "9");
        EXPECT_EQ(Heard(SettleAndTakeEvents()), change) << "one change a key";
    }
    EXPECT_EQ(GetSpinValue(TransparencySpin), 99);
    EXPECT_EQ(changes, 4);
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

// A Windows window cannot be made this small, so this part of the layout rule is tested here.
TEST_F(WindowTest, LayoutCountsNegativeSizesAsZero) {
    PlaceWindow({kKeepPlacement, kKeepPlacement, 2, 50});
    ApplyLayout();
    EXPECT_EQ(placeOf(ViewSplitter), QRect(0, 68, 0, 0)) << "negative sizes count as zero";
}

// Shown in the list each time it opens, and said to assistive tools whenever they ask.
TEST_F(WindowTest, DropDownDescriptionsAreMadeAfreshWhenShownOrAskedFor) {
    static std::string state;
    state = "here";
    SetItemDescriber(PortCombo, [](const std::string& entry) {
        return ItemDescription{entry + " " + state, entry == "X1" && state == "here"};
    });
    AddItem(PortCombo, "X1");
    ShowAndActivate();
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

    // What an assistive tool is told of an entry: what the list shows after its name.
    const auto said = [combo](int row, QAccessible::Text text) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(combo)->child(0);
        return list->tableInterface()->cellAt(row, 0)->text(text);
    };
    EXPECT_EQ(said(last, QAccessible::Name), QStringLiteral("X1"));
    EXPECT_EQ(said(last, QAccessible::Description), QStringLiteral("here"))
        << "before the list has ever opened";

    combo->showPopup();
    EXPECT_EQ(shown(0), QStringLiteral("COM1 here"));
    EXPECT_EQ(shown(last), QStringLiteral("X1 here"));
    EXPECT_FALSE(bold(0));
    EXPECT_TRUE(bold(last)) << "an entry that stands out";
    combo->hidePopup();
    state = "gone";
    EXPECT_EQ(said(0, QAccessible::Description), QStringLiteral("gone")) << "the list closed";
    combo->showPopup();
    EXPECT_EQ(shown(0), QStringLiteral("COM1 gone"));
    EXPECT_FALSE(bold(last)) << "no longer standing out";
    combo->hidePopup();

    EXPECT_EQ(combo->itemText(0), QStringLiteral("COM1")) << "the entry itself stays";
    EXPECT_EQ(GetText(PortCombo), "");
    for (const WindowEvent& event : SettleAndTakeEvents())
        EXPECT_NE(event.type, EventType::Control) << "control " << event.control;
}

// qt6ct and other platform themes set their font for the whole program once its event loop
// runs, after the window is made; others bring it before. Both are mimicked with
// QApplication::setFont, which is what qt6ct calls.
TEST_F(WindowTest, CaptionsAndValuesShowWholeUnderAThemeFontOf14Points) {
    struct Kept {
        QString style = QApplication::style()->name();
        QFont font = QApplication::font();
        ~Kept() {
            QApplication::setStyle(style);
            QApplication::setFont(font);
        }
    } kept;
    const QFont theme(QStringLiteral("DejaVu Sans"), 14);
    for (const QString& style : QStyleFactory::keys()) {
        for (const bool fontFirst : {true, false}) {
            SCOPED_TRACE(style.toStdString() + (fontFirst ? ", font first" : ", window first"));
            QApplication::setStyle(style);
            QApplication::setFont(fontFirst ? theme : kept.font);
            DestroyMainWindow();
            CreateMainWindow();
            SetUpControls();
            QApplication::setFont(theme);
            ShowAndActivate();

            const auto fits = [](QWidget* control, const QString& text) {
                const QFontMetrics metrics(control->font());
                const QRect room = CaptionRoom(control);
                EXPECT_EQ(control->font().pointSizeF(), 8) << text.toStdString();
                EXPECT_LE(metrics.horizontalAdvance(text), room.width()) << text.toStdString();
                EXPECT_LE(metrics.height(), room.height()) << text.toStdString();
            };
            for (ControlId id : {AutoConnectCheck, ConnectButton, HexOption, CharOption, BinOption,
                                 LogCheck, OnTopCheck, NewDateCheck, ClearButton, FontButton})
                fits(control(id), qobject_cast<QAbstractButton*>(control(id))->text());
            SetText(ConnectButton, Cp1251(u"Разъединить"));
            fits(control(ConnectButton), Q(u"Разъединить"));
            QComboBox* ports = window()->combo(PortCombo);
            ASSERT_EQ(ports->count(), 256);
            for (int i = 0; i < ports->count(); ++i)
                fits(ports, ports->itemText(i));
            QComboBox* rates = window()->combo(BaudCombo);
            for (int i = 0; i < rates->count() && rates->itemText(i).toInt() <= 460800; ++i)
                fits(rates->lineEdit(), rates->itemText(i));
            for (int value = 20; value <= 255; ++value)
                fits(window()->spin()->findChild<QLineEdit*>(), QString::number(value));

            // The lists, windows of their own, keep the desktop's font and grow to their entries.
            for (QComboBox* combo : {ports, rates}) {
                EXPECT_EQ(combo->view()->font().pointSizeF(), 14) << "the drop-down list";
                EXPECT_GE(combo->view()->sizeHintForRow(1), QFontMetrics(theme).height());
                combo->showPopup();
                EXPECT_GE(combo->view()->viewport()->width(), combo->view()->sizeHintForColumn(0));
                combo->hidePopup();
            }
        }
    }
}

TEST_F(WindowTest, APickFromTheRateListIsAChange) {
    static std::vector<std::string> seen;
    seen.clear();
    BindControlHandler(BaudCombo, BindKind::ChangeOnly, [] { seen.push_back(GetText(BaudCombo)); });
    QComboBox* rates = window()->combo(BaudCombo);
    rates->setCurrentIndex(rates->findText("19200")); // as a pick from the list does
    EXPECT_EQ(seen, std::vector<std::string>{"19200"});
}

TEST_F(WindowTest, TabCyclesInCreationOrderWithTextControlsLast) {
    ShowAndActivate();
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
    ShowAndActivate();
    control(SendEditor)->setFocus();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QApplication::setActiveWindow(window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    EXPECT_EQ(QApplication::focusWidget(), control(SendEditor));
}
