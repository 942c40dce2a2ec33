// What every window layer does alike, through the window seam and the fixture's means of a
// user: this file is built into the Qt window tests and into the Windows window tests under
// Wine. What a layer does its own way is tested beside it.

#include "shared/TerminalState.h"
#include "support/WindowUnderTest.h"
#include "ui/ConnectPicture.h"
#include "ui/ControlHandlers.h"

namespace {

using WindowLayer = WindowUnderTest;

// The control table: each control's place in the client area, caption and tooltip; and the
// name assistive tools read, the caption or the window's own name for a control without one.
const struct {
    ControlId id;
    Place place;
    const char16_t* caption; // null: none
    const char16_t* tooltip; // empty: none
    const char16_t* name;
} kTable[] = {
    {AutoConnectCheck, {12, 4, 84, 16}, u"Autoconnect", u"Автоподключение", u"Autoconnect"},
    {ConnectButton, {12, 20, 80, 20}, u"Соединить", u"Подключить/отключить", u"Соединить"},
    {PortCombo, {100, 20, 64, 20}, nullptr, u"", u"Порт"},
    {BaudCombo, {100, 42, 64, 22}, nullptr, u"", u"Скорость"},
    {HexOption, {170, 36, 44, 16}, u"HEX", u"", u"HEX"},
    {CharOption, {170, 52, 44, 16}, u"Char", u"", u"Char"},
    {BinOption, {170, 20, 44, 16}, u"Bin", u"", u"Bin"},
    {LogCheck, {168, 4, 42, 16}, u"Лог", u"", u"Лог"},
    {OnTopCheck, {100, 4, 64, 16}, u"Наверху", u"Поверх остальных окон", u"Наверху"},
    {NewDateCheck,
     {212, 4, 80, 16},
     u"Новая дата",
     u"Создавать новый лог с текущей датой при каждом соединении",
     u"Новая дата"},
    {TransparencySpin, {222, 20, 62, 20}, nullptr, u"Прозрачность окна", u"Прозрачность окна"},
    {ClearButton, {12, 44, 80, 20}, u"Очистить", u"Очистить", u"Очистить"},
    {FontButton, {222, 46, 62, 18}, u"Шрифт", u"", u"Шрифт"},
    {ReceiveView, {0, 68, 288, 100}, nullptr, u"", u"Принятые данные"},
    {SendEditor, {0, 68 + 100 + 7, 288, 133}, nullptr, u"", u"Строка для отправки"},
    {ViewSplitter, {0, 68, 288, 240}, nullptr, u"", u""},
};

TEST_F(WindowLayer, CreatedHiddenWithEveryControlInPlace) {
    EXPECT_FALSE(IsShown());
    EXPECT_EQ(ClientArea(), (Place{0, 0, 292, 312}));
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт закрыт"));
    for (const auto& expected : kTable)
        EXPECT_EQ(PlaceOfControl(expected.id), expected.place) << expected.id;
    EXPECT_EQ(GetSplitterPosition(), 100);
}

// The connect button's caption "Соединить" is the set-up's.
TEST_F(WindowLayer, CaptionsTooltipsAndNamesAreThoseOfTheTable) {
    AppendToView(ReceiveView, "data"); // what the text controls hold is no name
    SetText(SendEditor, "line");
    for (const auto& expected : kTable) {
        SCOPED_TRACE(expected.id);
        if (expected.caption) {
            EXPECT_EQ(GetText(expected.id), Cp1251(expected.caption));
        }
        EXPECT_EQ(TooltipOf(expected.id), Cp1251(expected.tooltip));
        EXPECT_EQ(AccessibleNameOf(expected.id), Cp1251(expected.name));
    }
    SetText(ConnectButton, Cp1251(u"Разъединить"));
    EXPECT_EQ(AccessibleNameOf(ConnectButton), Cp1251(u"Разъединить")) << "its caption now";
    SetChecked(ConnectButton, true);
    ShowConnectionState(true);
    EXPECT_EQ(AccessibleNameOf(ConnectButton), Cp1251(u"Разъединить")) << "under its picture";
}

TEST_F(WindowLayer, AClickRunsTheBoundHandlerThenReachesTheLoop) {
    static int handlerRuns;
    handlerRuns = 0;
    BindControlHandler(ClearButton, BindKind::Any, [] { ++handlerRuns; });
    ShowAndActivate();
    ClickOn(ClearButton);
    EXPECT_EQ(handlerRuns, 1);
    std::vector<WindowEvent> events = SettleAndTakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, EventType::Control);
    EXPECT_EQ(events.back().control, ClearButton);
    EXPECT_EQ(KindsOf(events, ClearButton), std::vector{ControlEventKind::Click}) << "just one";

    ClickOn(OnTopCheck);
    EXPECT_TRUE(IsChecked(OnTopCheck)) << "a click flips a check box";
    events = SettleAndTakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().control, OnTopCheck);
}

TEST_F(WindowLayer, SelectInputModeAndClearReceiveView) {
    BindControlHandler(HexOption, BindKind::Any, SelectInputMode);
    BindControlHandler(CharOption, BindKind::Any, SelectInputMode);
    BindControlHandler(BinOption, BindKind::Any, SelectInputMode);
    BindControlHandler(ClearButton, BindKind::Any, ClearReceiveView);
    ShowAndActivate();

    terminal.InputMode = 7;
    ClearReceiveView(); // nothing to clear: no change, no error
    EXPECT_EQ(GetText(ReceiveView), "");

    ClickOn(BinOption);
    EXPECT_EQ(terminal.InputMode, Bin);
    ClickOn(CharOption);
    EXPECT_EQ(terminal.InputMode, Char);
    EXPECT_FALSE(IsChecked(BinOption)) << "one group";
    terminal.InputMode = 7;
    ClickOn(CharOption);
    EXPECT_EQ(terminal.InputMode, Char) << "the chosen button sets its mode again";
    ClickOn(HexOption);
    EXPECT_EQ(terminal.InputMode, Hex);

    SetChecked(HexOption, false); // none chosen, as after an unknown stored mode
    terminal.InputMode = 5;
    SelectInputMode();
    EXPECT_EQ(terminal.InputMode, Hex);

    AppendToView(ReceiveView, "41 42 ");
    ClickOn(ClearButton);
    EXPECT_EQ(GetText(ReceiveView), "");
    AppendToView(ReceiveView, "43 ");
    EXPECT_EQ(GetText(ReceiveView), "43 ");
}

// Up and Down step the rate from the one shown, set or typed, and each key that changes it is
// one change; typing leaves the caret after what it typed.
TEST_F(WindowLayer, EachKeyThatChangesTheRateIsOneChange) {
    static std::vector<std::string> seen;
    seen.clear();
    BindControlHandler(BaudCombo, BindKind::ChangeOnly, [] { seen.push_back(GetText(BaudCombo)); });
    EXPECT_EQ(GetText(BaudCombo), "") << "filling the list selects nothing";
    ShowAndActivate();

    SetText(BaudCombo, "9600"); // as Setting.ini gives it
    PressDownIn(BaudCombo);
    EXPECT_EQ(GetText(BaudCombo), "19200");
    TypeInto(BaudCombo, "2", 1, 3); // 19200 becomes 1200
    EXPECT_EQ(SelectionIn(BaudCombo), std::pair(2, 2)) << "the caret stays";
    PressDownIn(BaudCombo);
    EXPECT_EQ(GetText(BaudCombo), "2400");
    EXPECT_EQ(seen, (std::vector<std::string>{"19200", "1200", "2400"}));
    SettleAndTakeEvents();

    SetText(PortCombo, "COM3");
    PressDownIn(PortCombo);
    EXPECT_EQ(GetText(PortCombo), "COM4");
    EXPECT_TRUE(Has(KindsOf(SettleAndTakeEvents(), PortCombo), ControlEventKind::Change));
}

// Each list drops below its box, or above it where the screen ends below, at most 350 pixels
// high; the 256 ports scroll, the twelve rates fit.
TEST_F(WindowLayer, DropDownListsOpenBesideTheirBoxesAtMost350High) {
    InEachLook([this] {
        const Place screen = ScreenArea();
        for (const bool nearScreenEnd : {false, true}) {
            PlaceWindow({screen.x + 100, screen.y + (nearScreenEnd ? screen.height - 150 : 100),
                         kKeepPlacement, kKeepPlacement});
            for (const ControlId id : {PortCombo, BaudCombo}) {
                for (const ListOpening& way : ListOpenings()) {
                    SCOPED_TRACE(std::string(way.name) +
                                 (id == PortCombo ? " PortCombo" : " BaudCombo") +
                                 (nearScreenEnd ? " near the screen's end" : ""));
                    way.open(id);
                    ASSERT_TRUE(ListIsOpen(id));
                    const Place box = ScreenPlaceOfControl(id);
                    const Place list = ScreenPlaceOfList(id);
                    EXPECT_LE(list.height, 350);
                    const int overlap =
                        nearScreenEnd ? list.y + list.height - box.y : box.y + box.height - list.y;
                    EXPECT_GE(overlap, 0);
                    EXPECT_LE(overlap, kListOverlap);
                    EXPECT_EQ(ListScrolls(id), id == PortCombo);
                    if (id == PortCombo) {
                        EXPECT_GE(list.height, 300);
                    }
                    CloseListWithEscape(id);
                    EXPECT_FALSE(ListIsOpen(id));
                }
            }
        }
        if (kListsQueueNoEvents) {
            for (const WindowEvent& event : SettleAndTakeEvents())
                EXPECT_NE(event.type, EventType::Control) << "control " << event.control;
        }
    });
}

// The arrows stand 18 pixels wide at the box's right end. They and typing keep the value
// inside 20 to 255; a step is an up-down event and a change, typing a change alone.
TEST_F(WindowLayer, SpinArrowsAreEighteenPixelsWideAndKeepTheRange) {
    const Place arrows = PlaceOfSpinArrows();
    EXPECT_EQ(arrows.width, 18);
    EXPECT_EQ(arrows.x + arrows.width, 222 + 62);

    ShowAndActivate();
    SetSpinValue(TransparencySpin, 255);
    StepSpin(true);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 255);
    SetSpinValue(TransparencySpin, 5);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 20);
    StepSpin(false);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 20);

    SetSpinValue(TransparencySpin, 100);
    SettleAndTakeEvents();
    StepSpin(true);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 101);
    const std::vector<ControlEventKind> stepped = KindsOf(SettleAndTakeEvents(), TransparencySpin);
    EXPECT_TRUE(Has(stepped, ControlEventKind::UpDown));
    EXPECT_TRUE(Has(stepped, ControlEventKind::Change));

    TypeInto(TransparencySpin, "5");
    EXPECT_EQ(GetText(TransparencySpin), "5");
    const std::vector<ControlEventKind> typed = KindsOf(SettleAndTakeEvents(), TransparencySpin);
    EXPECT_TRUE(Has(typed, ControlEventKind::Change));
    EXPECT_FALSE(Has(typed, ControlEventKind::UpDown));
    for (const char* text : {"5", "abc"}) {
        TypeInto(TransparencySpin, text);
        EXPECT_GE(GetSpinValue(TransparencySpin), 20) << text;
        EXPECT_LE(GetSpinValue(TransparencySpin), 255) << text;
    }
}

// The splitter follows the client area; the send editor keeps its height until the receive
// view is down to its 50 pixels, then it shrinks; growing again, it keeps what it had, and at
// least its 20 pixels.
TEST_F(WindowLayer, LayoutFollowsTheClientAreaAndTheSendEditorKeepsItsHeight) {
    PlaceWindow({100, 100, 420, 304});
    ApplyLayout();
    EXPECT_EQ(ClientArea(), (Place{0, 0, 420, 304}));
    EXPECT_EQ(PlaceOfControl(ViewSplitter), (Place{0, 68, 416, 232}));
    EXPECT_EQ(PlaceOfControl(SendEditor).height, 133);
    EXPECT_EQ(GetSplitterPosition(), 92);
    EXPECT_EQ(PlaceOfControl(ClearButton), (Place{12, 44, 80, 20})) << "nothing else moves";
    const WindowPlacement placement = GetWindowPlacement();
    EXPECT_EQ(placement.x, 100);
    EXPECT_EQ(placement.y, 100);

    const struct {
        int clientHeight, upper, lower;
    } steps[] = {
        {412, 200, 133},                 // taller: only the receive view grows
        {262, 50, 133},                  // splitter 190: the view reaches 50
        {230, 50, 101},                  // then the send editor shrinks
        {148, 50, 19},                   // splitter 76, under 77
        {129, 50, 0},                    // splitter 57
        {100, 50, 0},    {312, 213, 20}, // growing again
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.clientHeight);
        PlaceWindow({kKeepPlacement, kKeepPlacement, 292, step.clientHeight});
        ApplyLayout();
        EXPECT_EQ(GetSplitterPosition(), step.upper);
        EXPECT_EQ(PlaceOfControl(ReceiveView), (Place{0, 68, 288, step.upper}));
        EXPECT_EQ(PlaceOfControl(SendEditor).height, step.lower);
        EXPECT_EQ(PlaceOfControl(SendEditor).width, 288);
    }
}

TEST_F(WindowLayer, SettingTheSplitterPositionAppliesTheMinimums) {
    SetSplitterPosition(10);
    EXPECT_EQ(GetSplitterPosition(), 50);
    SetSplitterPosition(239);
    EXPECT_EQ(GetSplitterPosition(), 213);
    SetSplitterPosition(120);
    EXPECT_EQ(GetSplitterPosition(), 120);
    EXPECT_EQ(PlaceOfControl(SendEditor), (Place{0, 68 + 120 + 7, 288, 240 - 7 - 120}));
}

TEST_F(WindowLayer, ProgramChangesRaiseNoEvents) {
    static int handlerRuns;
    handlerRuns = 0;
    for (int id = 0; id < kControlCount; ++id)
        BindControlHandler(ControlId(id), BindKind::Any, [] { ++handlerRuns; });
    ShowMainWindow();
    SettleAndTakeEvents();

    SetChecked(AutoConnectCheck, true);
    SetChecked(LogCheck, true);
    SetChecked(ConnectButton, true);
    SetChecked(CharOption, true);
    SetChecked(CharOption, false);
    SetText(BaudCombo, "19200");
    AddItem(PortCombo, "COM1");
    AddItem(PortCombo, "COM2");
    AddItem(BaudCombo, "300");
    SetText(PortCombo, "com2");
    SetSpinValue(TransparencySpin, 100);
    SetText(TransparencySpin, "120");
    SetSplitterPosition(60);
    SetText(ReceiveView, "x");
    AppendToView(ReceiveView, "y");
    SetTitle("t");

    EXPECT_EQ(handlerRuns, 0);
    for (const WindowEvent& event : SettleAndTakeEvents())
        EXPECT_NE(event.type, EventType::Control) << "control " << event.control;
    EXPECT_TRUE(IsChecked(AutoConnectCheck));
    EXPECT_TRUE(IsChecked(LogCheck));
    EXPECT_TRUE(IsChecked(ConnectButton));
    EXPECT_FALSE(IsChecked(CharOption));
    EXPECT_EQ(GetText(BaudCombo), "19200") << "the list's entries leave the text alone";
    EXPECT_EQ(GetText(PortCombo), "COM2") << "the first entry the text begins, case ignored";
    EXPECT_EQ(GetSpinValue(TransparencySpin), 120);
    EXPECT_EQ(GetText(ReceiveView), "xy");
    EXPECT_EQ(GetTitle(), "t");
    SetChecked(ConnectButton, false);
    EXPECT_FALSE(IsChecked(ConnectButton));
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

// The port list selects by the beginning of an entry, ignoring the case of Latin letters only;
// text that begins no entry leaves the selection, empty text selects nothing.
TEST_F(WindowLayer, PortTextSelectsTheFirstEntryItBegins) {
    AddItem(PortCombo, Cp1251(u"АБ"));
    const struct {
        std::string text;
        std::string selected;
    } steps[] = {
        {"com3", "COM3"},
        {"COM25", "COM25"},
        {"LPT1", "COM25"},
        {Cp1251(u"а"), "COM25"}, // no entry begins with the small letter
        {Cp1251(u"А"), Cp1251(u"АБ")},
        {"", ""},
    };
    for (const auto& step : steps) {
        SetText(PortCombo, step.text);
        EXPECT_EQ(GetText(PortCombo), step.selected) << step.text;
    }
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

TEST_F(WindowLayer, TextsAndValuesAreSetAndRead) {
    SetTitle(Cp1251(u"Порт открыт"));
    EXPECT_EQ(GetTitle(), Cp1251(u"Порт открыт"));
    SetText(BaudCombo, "12345");
    EXPECT_EQ(GetText(BaudCombo), "12345") << "any rate, in the list or not";
    AppendToView(ReceiveView, "ab\r\n");
    AppendToView(ReceiveView, Cp1251(u"Привет"));
    EXPECT_EQ(GetText(ReceiveView), "ab\r\n" + Cp1251(u"Привет"));
    SetText(ReceiveView, "");
    EXPECT_EQ(GetText(ReceiveView), "");

    // The spin box keeps its value inside 20 to 255.
    const struct { int set, value; } values[] = {{300, 255}, {10, 20}, {5, 20}, {128, 128}};
    for (const auto& v : values) {
        SetSpinValue(TransparencySpin, v.set);
        EXPECT_EQ(GetSpinValue(TransparencySpin), v.value) << v.set;
        EXPECT_EQ(GetText(TransparencySpin), std::to_string(v.value)) << v.set;
    }
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

TEST_F(WindowLayer, CloseIsAnEventAndLeavesTheWindow) {
    ShowMainWindow();
    SettleAndTakeEvents();
    AskToClose();
    const std::vector<WindowEvent> events = SettleAndTakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, EventType::Close);
    EXPECT_EQ(events.back().control, kNoControl);
    EXPECT_TRUE(IsShown()) << "shutdown still reads the controls";
}

} // namespace
