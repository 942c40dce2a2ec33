#include <windows.h>

#include <algorithm>
#include <commctrl.h>

#include "shared/TerminalState.h"
#include "support/win32/Win32WindowFixture.h"
#include "ui/ControlTable.h"

namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

using MainWindowGeometry = Win32WindowTest;

TEST_F(MainWindowGeometry, CreatedHiddenWithTheClientAreaAndTitleOfTheTable) {
    EXPECT_FALSE(IsWindowVisible(MainWindowHandle()));
    EXPECT_EQ(ClientSize().cx, 292);
    EXPECT_EQ(ClientSize().cy, 312);
    EXPECT_EQ(GetTitle(), kPortClosedTitle);
    const LONG_PTR style = GetWindowLongPtrA(MainWindowHandle(), GWL_STYLE);
    for (const LONG_PTR part :
         {LONG_PTR{WS_CAPTION}, LONG_PTR{WS_SYSMENU}, LONG_PTR{WS_MINIMIZEBOX},
          LONG_PTR{WS_MAXIMIZEBOX}, LONG_PTR{WS_THICKFRAME}})
        EXPECT_EQ(style & part, part);
}

TEST_F(MainWindowGeometry, FixedControlsStandWhereTheTableSays) {
    for (const ControlSpec& entry : kControls) {
        if (entry.id == ReceiveView || entry.id == SendEditor || entry.id == TransparencySpin)
            continue;
        const RECT place = PlaceOf(entry.id);
        EXPECT_EQ(place.left, entry.x) << entry.id;
        EXPECT_EQ(place.top, entry.y) << entry.id;
        EXPECT_EQ(Width(place), entry.width) << entry.id;
        if (entry.id != PortCombo && entry.id != BaudCombo) {
            EXPECT_EQ(Height(place), entry.height) << entry.id;
        }
    }
}

// Wine's ComboBoxEx32 makes its field 2 pixels higher than asked; the boxes still get their
// heights.
TEST_F(MainWindowGeometry, ComboBoxesHaveTheirClosedHeights) {
    EXPECT_EQ(Height(PlaceOf(PortCombo)), 20);
    EXPECT_EQ(Height(PlaceOf(BaudCombo)), 22);
}

TEST_F(MainWindowGeometry, SpinBoxIsAnEditFieldWithArrowsAtItsRightEnd) {
    const RECT edit = PlaceOf(TransparencySpin);
    const RECT arrows = PlaceOf(SpinArrows());
    EXPECT_EQ(ClassOf(ControlHandle(TransparencySpin)), "Edit");
    EXPECT_EQ(ClassOf(SpinArrows()), UPDOWN_CLASSA);
    EXPECT_EQ(edit.left, 222);
    EXPECT_EQ(Width(edit), 62 - 18);
    EXPECT_EQ(arrows.left, edit.right);
    EXPECT_EQ(Width(arrows), 18);
    EXPECT_EQ(arrows.right, 222 + 62);
}

TEST_F(MainWindowGeometry, SplitterSharesItsHeightBetweenTheTextControls) {
    const RECT receive = PlaceOf(ReceiveView);
    const RECT send = PlaceOf(SendEditor);
    EXPECT_EQ(GetSplitterPosition(), 100);
    EXPECT_EQ(receive.top, 68);
    EXPECT_EQ(Height(receive), 100);
    EXPECT_EQ(send.top, 68 + 100 + 7);
    EXPECT_EQ(Height(send), 133);
    EXPECT_EQ(Width(receive), 288);
    EXPECT_EQ(Width(send), 288);
}

TEST_F(MainWindowGeometry, LayoutFollowsTheClientSizeAndTheSendEditorKeepsItsHeight) {
    PlaceWindow({100, 100, 420, 304});
    ApplyLayout();
    EXPECT_EQ(ClientSize().cx, 420);
    EXPECT_EQ(ClientSize().cy, 304);
    const RECT splitter = PlaceOf(ViewSplitter);
    EXPECT_EQ(splitter.left, 0);
    EXPECT_EQ(splitter.top, 68);
    EXPECT_EQ(Width(splitter), 416);
    EXPECT_EQ(Height(splitter), 232);
    EXPECT_EQ(Height(PlaceOf(SendEditor)), 133);
    EXPECT_EQ(GetSplitterPosition(), 92);
    const WindowPlacement placement = GetWindowPlacement();
    EXPECT_EQ(placement.x, 100);
    EXPECT_EQ(placement.y, 100);
}

TEST_F(MainWindowGeometry, ShorterWindowShrinksTheReceiveViewDownToItsMinimum) {
    PlaceWindow({kKeepPlacement, kKeepPlacement, 292, 72 + 7 + 133 + 50 - 30});
    ApplyLayout();
    EXPECT_EQ(GetSplitterPosition(), 50);
    EXPECT_EQ(Height(PlaceOf(SendEditor)), 103);
}

BOOL CALLBACK FindTooltips(HWND window, LPARAM found) {
    if (ClassOf(window) == TOOLTIPS_CLASSA && GetWindow(window, GW_OWNER) == MainWindowHandle()) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Each tooltip belongs to its control (for the spin box, to the edit field) and shows its
// text literally, also while the window is inactive.
TEST_F(MainWindowGeometry, TooltipsBelongToTheirControls) {
    HWND tips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTooltips, reinterpret_cast<LPARAM>(&tips));
    ASSERT_NE(tips, nullptr);
    const LONG_PTR style = GetWindowLongPtrA(tips, GWL_STYLE);
    EXPECT_TRUE(style & TTS_NOPREFIX);
    EXPECT_TRUE(style & TTS_ALWAYSTIP);
    int withTooltip = 0;
    for (const ControlSpec& entry : kControls) {
        if (!*entry.tooltip)
            continue;
        ++withTooltip;
        char text[256] = {};
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = MainWindowHandle();
        tool.uId = reinterpret_cast<UINT_PTR>(ControlHandle(entry.id));
        tool.lpszText = text;
        SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(text, entry.tooltip) << entry.id;
    }
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), withTooltip);
}

TEST_F(MainWindowGeometry, ControlsHaveTheirWin32Classes) {
    EXPECT_EQ(ClassOf(ControlHandle(PortCombo)), WC_COMBOBOXEXA);
    EXPECT_EQ(ClassOf(ControlHandle(BaudCombo)), WC_COMBOBOXEXA);
    const std::string rich = ClassOf(ControlHandle(ReceiveView));
    EXPECT_TRUE(rich == "RichEdit20A" || rich == "RichEdit") << rich;
    EXPECT_EQ(ClassOf(ControlHandle(SendEditor)), rich);
    EXPECT_EQ(ClassOf(ControlHandle(ConnectButton)), "Button");
    const LONG_PTR toggle = GetWindowLongPtrA(ControlHandle(ConnectButton), GWL_STYLE);
    EXPECT_EQ(toggle & BS_PUSHLIKE, BS_PUSHLIKE);
    EXPECT_EQ(toggle & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(GetWindowLongPtrA(ControlHandle(HexOption), GWL_STYLE) & BS_TYPEMASK,
              BS_AUTORADIOBUTTON);
    EXPECT_EQ(GetWindowLongPtrA(ControlHandle(ReceiveView), GWL_STYLE) & ES_READONLY, ES_READONLY);
}

using ControlOperations = Win32WindowTest;

TEST_F(ControlOperations, ConnectButtonHasItsCaptionAfterSetUp) {
    EXPECT_EQ(GetText(ConnectButton), kConnectCaption);
}

TEST_F(ControlOperations, PortComboSelectsTheFirstEntryItBegins) {
    SetText(PortCombo, "com1");
    EXPECT_EQ(GetText(PortCombo), "COM1");
    SetText(PortCombo, "COM25");
    EXPECT_EQ(GetText(PortCombo), "COM25");
    SetText(PortCombo, "LPT1");
    EXPECT_EQ(GetText(PortCombo), "COM25");
    SetText(PortCombo, "");
    EXPECT_EQ(GetText(PortCombo), "");
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

TEST_F(ControlOperations, BaudComboKeepsAnyTypedRate) {
    SetText(BaudCombo, "12345");
    EXPECT_EQ(GetText(BaudCombo), "12345");
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

TEST_F(ControlOperations, SpinValueStaysInsideItsRange) {
    SetSpinValue(TransparencySpin, 300);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 255);
    SetSpinValue(TransparencySpin, 10);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 20);
    SetSpinValue(TransparencySpin, 128);
    EXPECT_EQ(GetText(TransparencySpin), "128");
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

TEST_F(ControlOperations, CheckMarksSetByTheProgramRaiseNothing) {
    SetChecked(LogCheck, true);
    SetChecked(ConnectButton, true);
    EXPECT_TRUE(IsChecked(LogCheck));
    EXPECT_TRUE(IsChecked(ConnectButton));
    SetChecked(ConnectButton, false);
    EXPECT_FALSE(IsChecked(ConnectButton));
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

int handlerRuns = 0;
void CountRun() {
    ++handlerRuns;
}

TEST_F(ControlOperations, AClickRunsTheBoundHandlerAndReachesTheLoop) {
    handlerRuns = 0;
    BindControlHandler(ClearButton, BindKind::Any, CountRun);
    SendMessageA(ControlHandle(ClearButton), BM_CLICK, 0, 0);
    EXPECT_EQ(handlerRuns, 1);
    int clicks = 0;
    for (const WindowEvent& event : SettleAndTakeEvents()) {
        if (event.type == EventType::Control && event.control == ClearButton) {
            EXPECT_EQ(event.kind, ControlEventKind::Click);
            ++clicks;
        }
    }
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlOperations, AClickOnACheckBoxFlipsIt) {
    SendMessageA(ControlHandle(OnTopCheck), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(OnTopCheck));
    const std::vector<WindowEvent> events = SettleAndTakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().control, OnTopCheck);
}

// The kinds of the user's actions on the controls that carry a value.
std::vector<ControlEventKind> KindsOf(const std::vector<WindowEvent>& events, ControlId id) {
    std::vector<ControlEventKind> kinds;
    for (const WindowEvent& event : events)
        if (event.type == EventType::Control && event.control == id)
            kinds.push_back(event.kind);
    return kinds;
}

bool Has(const std::vector<ControlEventKind>& kinds, ControlEventKind kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

TEST_F(ControlOperations, TypingAndArrowsOnTheSpinBoxAreItsEvents) {
    const HWND arrows = SpinArrows();
    RECT area;
    GetClientRect(arrows, &area);
    auto clickUp = [&] {
        SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(area.right / 2, 2));
        SendMessageA(arrows, WM_LBUTTONUP, 0, MAKELPARAM(area.right / 2, 2));
    };
    SetSpinValue(TransparencySpin, 255);
    clickUp();
    EXPECT_EQ(GetSpinValue(TransparencySpin), 255);
    SetSpinValue(TransparencySpin, 100);
    SettleAndTakeEvents();
    clickUp();
    EXPECT_EQ(GetSpinValue(TransparencySpin), 101);
    const std::vector<ControlEventKind> stepped = KindsOf(SettleAndTakeEvents(), TransparencySpin);
    EXPECT_TRUE(Has(stepped, ControlEventKind::UpDown));
    EXPECT_TRUE(Has(stepped, ControlEventKind::Change));

    // A typed value outside the range is never reported.
    SendMessageA(ControlHandle(TransparencySpin), EM_SETSEL, 0, -1);
    SendMessageA(ControlHandle(TransparencySpin), WM_CHAR, '5', 1);
    EXPECT_EQ(GetText(TransparencySpin), "5");
    EXPECT_GE(GetSpinValue(TransparencySpin), 20);
    EXPECT_LE(GetSpinValue(TransparencySpin), 255);
    const std::vector<ControlEventKind> typed = KindsOf(SettleAndTakeEvents(), TransparencySpin);
    EXPECT_TRUE(Has(typed, ControlEventKind::Change));
    EXPECT_FALSE(Has(typed, ControlEventKind::UpDown));
}

TEST_F(ControlOperations, EditingTheRateAndPickingAPortAreChanges) {
    handlerRuns = 0;
    BindControlHandler(BaudCombo, BindKind::ChangeOnly, CountRun);
    const auto field =
        reinterpret_cast<HWND>(SendMessageA(ControlHandle(BaudCombo), CBEM_GETEDITCONTROL, 0, 0));
    SendMessageA(field, WM_CHAR, '5', 1);
    EXPECT_EQ(handlerRuns, 1);
    EXPECT_EQ(KindsOf(SettleAndTakeEvents(), BaudCombo),
              std::vector<ControlEventKind>{ControlEventKind::Change});

    SetText(PortCombo, "COM3");
    const auto list =
        reinterpret_cast<HWND>(SendMessageA(ControlHandle(PortCombo), CBEM_GETCOMBOCONTROL, 0, 0));
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(GetText(PortCombo), "COM4");
    const std::vector<ControlEventKind> picked = KindsOf(SettleAndTakeEvents(), PortCombo);
    EXPECT_TRUE(Has(picked, ControlEventKind::Change));
}

// The list may describe each port; the program still reads and sets the names themselves.
TEST_F(ControlOperations, PortListShowsDescriptionsWhileTheProgramSeesNames) {
    SetItemDescriber(PortCombo,
                     [](const std::string& entry) { return ItemDescription{entry + " (USB)"}; });
    AddItem(PortCombo, "COM300");
    auto shown = [](int index) {
        char text[64] = {};
        COMBOBOXEXITEMA item{};
        item.mask = CBEIF_TEXT;
        item.iItem = index;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(ControlHandle(PortCombo), CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return std::string(text);
    };
    EXPECT_EQ(shown(0), "COM1 (USB)");
    const auto count = static_cast<int>(SendMessageA(ControlHandle(PortCombo), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(shown(count - 1), "COM300 (USB)");
    SetText(PortCombo, "COM300");
    EXPECT_EQ(GetText(PortCombo), "COM300");
}

TEST_F(ControlOperations, ViewTextIsAppendedAndReadWithCrLf) {
    AppendToView(ReceiveView, "ab\r\n");
    AppendToView(ReceiveView, "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(GetText(ReceiveView), "ab\r\n\xCF\xF0\xE8\xE2\xE5\xF2");
    SetText(ReceiveView, "");
    EXPECT_EQ(GetText(ReceiveView), "");
}

TEST_F(ControlOperations, AppendedTextGoesToTheEndWhereverTheCaretIs) {
    AppendToView(ReceiveView, "abc");
    CHARRANGE start = {0, 1};
    SendMessageA(ControlHandle(ReceiveView), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    AppendToView(ReceiveView, "def");
    EXPECT_EQ(GetText(ReceiveView), "abcdef");
}

TEST_F(ControlOperations, TitleIsSetAndRead) {
    SetTitle("\xCF\xEE\xF0\xF2 \xEE\xF2\xEA\xF0\xFB\xF2");
    EXPECT_EQ(GetTitle(), "\xCF\xEE\xF0\xF2 \xEE\xF2\xEA\xF0\xFB\xF2");
}

bool HasEvent(const std::vector<WindowEvent>& events, EventType type) {
    return std::any_of(events.begin(), events.end(),
                       [type](const WindowEvent& event) { return event.type == type; });
}

TEST_F(ControlOperations, MinimisingRaisesNoResizeAndRestoringDoes) {
    ShowMainWindow();
    SettleAndTakeEvents();
    ShowWindow(MainWindowHandle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(MainWindowHandle()));
    EXPECT_FALSE(HasEvent(SettleAndTakeEvents(), EventType::Resize));
    ShowWindow(MainWindowHandle(), SW_RESTORE);
    EXPECT_TRUE(HasEvent(SettleAndTakeEvents(), EventType::Resize));
}

TEST_F(ControlOperations, AQuitMessageEndsTheLoopLikeAClose) {
    PostQuitMessage(0);
    EXPECT_EQ(WaitForEvent().type, EventType::Close);
}

TEST_F(ControlOperations, CloseRequestIsAnEventAndLeavesTheWindow) {
    SendMessageA(MainWindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(MainWindowHandle()));
    const std::vector<WindowEvent> events = SettleAndTakeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, EventType::Close);
}

} // namespace
