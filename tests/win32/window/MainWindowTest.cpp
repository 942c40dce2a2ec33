#include <windows.h>

#include <algorithm>
#include <commctrl.h>
#include <functional>
#include <oleacc.h>
#include <utility>

#include "app/EventLoop.h"
#include "support/win32/UnderWine.h"
#include "support/win32/Win32WindowFixture.h"
#include "ui/Appearance.h"

namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

using MainWindowGeometry = Win32WindowTest;

TEST_F(MainWindowGeometry, FrameHasACaptionItsBoxesAndASizingBorder) {
    const LONG_PTR style = GetWindowLongPtrA(MainWindowHandle(), GWL_STYLE);
    for (const LONG_PTR part :
         {LONG_PTR{WS_CAPTION}, LONG_PTR{WS_SYSMENU}, LONG_PTR{WS_MINIMIZEBOX},
          LONG_PTR{WS_MAXIMIZEBOX}, LONG_PTR{WS_THICKFRAME}})
        EXPECT_EQ(style & part, part);
}

TEST_F(MainWindowGeometry, SpinBoxIsAnEditFieldWithArrowsAtItsRightEnd) {
    const RECT edit = PlaceOf(TransparencySpin);
    const RECT arrows = PlaceOf(SpinArrows());
    EXPECT_EQ(ClassOf(ControlHandle(TransparencySpin)), "Edit");
    EXPECT_EQ(ClassOf(SpinArrows()), UPDOWN_CLASSA);
    EXPECT_EQ(edit.left, 222);
    EXPECT_EQ(Width(edit), 62 - 18);
    EXPECT_EQ(arrows.left, edit.right);
}

// The system's sizing loop runs its own message loop while the border is dragged, and the
// program's loop waits: the layout follows each size all the same. Each step of the drag is
// taken on a tick of a timer, whichever loop is running.
std::vector<std::function<void()>> dragSteps;
void CALLBACK TakeDragStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (dragSteps.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    const std::function<void()> step = dragSteps.front();
    dragSteps.erase(dragSteps.begin());
    step();
}

TEST_F(MainWindowGeometry, LayoutFollowsTheBorderWhileItIsDragged) {
    ShowMainWindow();
    ASSERT_TRUE(BecomesForeground(MainWindowHandle()));
    RECT frame;
    GetWindowRect(MainWindowHandle(), &frame);
    const POINT border = {(frame.left + frame.right) / 2, frame.bottom - 2};
    ASSERT_EQ(SendMessageA(MainWindowHandle(), WM_NCHITTEST, 0, MAKELPARAM(border.x, border.y)),
              HTBOTTOM);
    SIZE clientDuringDrag = {};
    RECT splitterDuringDrag = {};
    // The new size comes back from the display server a moment later.
    const auto wait = [] {};
    const POINT dragged = {border.x, border.y + 100};
    INPUT moves[3] = {MouseInput(border, 0), MouseInput(border, MOUSEEVENTF_LEFTDOWN),
                      MouseInput(dragged, 0)};
    INPUT release = MouseInput(dragged, MOUSEEVENTF_LEFTUP);
    dragSteps = {[&] { SendInput(1, &moves[2], sizeof(INPUT)); }, wait, wait,
                 [&] {
                     clientDuringDrag = ClientSize();
                     splitterDuringDrag = PlaceOf(ViewSplitter);
                 },
                 [&] { SendInput(1, &release, sizeof(INPUT)); }};
    SendInput(2, moves, sizeof(INPUT));
    SetTimer(nullptr, 0, 50, TakeDragStep);
    for (int tries = 0; tries < 100 && !dragSteps.empty(); ++tries) {
        SettleAndTakeEvents(); // what the system does, none of the loop's actions
        Sleep(10);
    }
    ASSERT_TRUE(dragSteps.empty());
    EXPECT_EQ(clientDuringDrag.cy, 312 + 100);
    EXPECT_EQ(Height(splitterDuringDrag), clientDuringDrag.cy - 72);
    EXPECT_EQ(Width(splitterDuringDrag), clientDuringDrag.cx - 4);
}

// The tooltips, whose texts the shared window tests read, show their text literally, also while
// the window is inactive; there is one for each of the six controls that have one.
TEST_F(MainWindowGeometry, TooltipsShowLiterallyAlsoWhileInactive) {
    const HWND tips = TooltipsWindow();
    ASSERT_NE(tips, nullptr);
    const LONG_PTR style = GetWindowLongPtrA(tips, GWL_STYLE);
    EXPECT_TRUE(style & TTS_NOPREFIX);
    EXPECT_TRUE(style & TTS_ALWAYSTIP);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 6);
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

// As a screen reader finds the controls through the system's accessible objects, each with the
// role of its kind; the combo boxes' windows that take the focus have the box's name too (the
// shared window tests check the controls' names). Wine's objects know the role of a plain edit
// field and see a client in every other control; on Windows each has the role of its kind.
TEST_F(MainWindowGeometry, ControlsHaveTheirRolesAndNames) {
    const auto part = [](ControlId id, UINT which) {
        return reinterpret_cast<HWND>(SendMessageA(ControlHandle(id), which, 0, 0));
    };
    const struct {
        HWND window;
        long role;        // on Windows
        const char* name; // null: the control's, checked with the others
    } rows[] = {
        {ControlHandle(AutoConnectCheck), ROLE_SYSTEM_CHECKBUTTON, nullptr},
        {ControlHandle(ConnectButton), ROLE_SYSTEM_CHECKBUTTON, nullptr},
        {ControlHandle(PortCombo), ROLE_SYSTEM_COMBOBOX, nullptr},
        {part(PortCombo, CBEM_GETCOMBOCONTROL), ROLE_SYSTEM_COMBOBOX, "Порт"},
        {ControlHandle(BaudCombo), ROLE_SYSTEM_COMBOBOX, nullptr},
        {part(BaudCombo, CBEM_GETCOMBOCONTROL), ROLE_SYSTEM_COMBOBOX, "Скорость"},
        {part(BaudCombo, CBEM_GETEDITCONTROL), ROLE_SYSTEM_TEXT, "Скорость"},
        {ControlHandle(HexOption), ROLE_SYSTEM_RADIOBUTTON, nullptr},
        {ControlHandle(CharOption), ROLE_SYSTEM_RADIOBUTTON, nullptr},
        {ControlHandle(BinOption), ROLE_SYSTEM_RADIOBUTTON, nullptr},
        {ControlHandle(LogCheck), ROLE_SYSTEM_CHECKBUTTON, nullptr},
        {ControlHandle(OnTopCheck), ROLE_SYSTEM_CHECKBUTTON, nullptr},
        {ControlHandle(NewDateCheck), ROLE_SYSTEM_CHECKBUTTON, nullptr},
        {ControlHandle(TransparencySpin), ROLE_SYSTEM_TEXT, nullptr},
        {ControlHandle(ClearButton), ROLE_SYSTEM_PUSHBUTTON, nullptr},
        {ControlHandle(FontButton), ROLE_SYSTEM_PUSHBUTTON, nullptr},
        {ControlHandle(ReceiveView), ROLE_SYSTEM_TEXT, nullptr},
        {ControlHandle(SendEditor), ROLE_SYSTEM_TEXT, nullptr},
        {ControlHandle(ViewSplitter), ROLE_SYSTEM_CLIENT, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ClassOf(row.window));
        const long wineRole = ClassOf(row.window) == "Edit" ? ROLE_SYSTEM_TEXT : ROLE_SYSTEM_CLIENT;
        const auto [role, name] = RoleAndName(row.window);
        EXPECT_EQ(role, UnderWine() ? wineRole : row.role);
        if (row.name) {
            EXPECT_EQ(name, row.name);
        }
    }
}

using ControlOperations = Win32WindowTest;

int handlerRuns = 0;
void CountRun() {
    ++handlerRuns;
}

BYTE Opacity() {
    BYTE alpha = 0;
    GetLayeredWindowAttributes(MainWindowHandle(), nullptr, &alpha, nullptr);
    return alpha;
}

// As a user meets it, with a stored opacity of 10 applied as the settings load applies it: only
// edits and arrows reach the program, arrows at the range's ends too; the field, the opacity and
// the value saved at exit agree once the field holds a number from 20 up, or has lost the focus.
TEST_F(ControlOperations, SpinBoxSetsTheOpacityAsTheUserChangesIt) {
    ShowMainWindow();
    ASSERT_TRUE(BecomesForeground(MainWindowHandle()));
    SetText(TransparencySpin, "10");
    SetSpinValue(TransparencySpin, 10);
    MakeWindowLayered();
    ApplyWindowOpacity(10);
    const HWND field = ControlHandle(TransparencySpin);
    RECT arrows;
    GetClientRect(SpinArrows(), &arrows);
    const auto retype = [field](const std::string& text) {
        return [field, text] {
            ClickAt(ScreenPointOf(field, 4, 4));
            PressKeys({VK_END});
            PressKeys({VK_SHIFT, VK_HOME});
            TypeKeys(text);
        };
    };
    const struct {
        const char* action;
        std::function<void()> act;
        std::vector<ControlEventKind> kinds;
        const char* shown;
        int opacity;
    } steps[] = {
        {"Tab into the field",
         [] {
             SetFocus(ControlHandle(NewDateCheck));
             PressKeys({VK_TAB});
         },
         {},
         "20",
         10},
        {"Tab out of it", [] { PressKeys({VK_TAB}); }, {}, "20", 10},
        {"click on the down arrow at 20",
         [&] { ClickAt(ScreenPointOf(SpinArrows(), arrows.right / 2, arrows.bottom - 3)); },
         {ControlEventKind::UpDown},
         "20",
         20},
        {"type 300", retype("300"), {ControlEventKind::Change}, "255", 255},
        {"Up at 255", [] { PressKeys({VK_UP}); }, {ControlEventKind::UpDown}, "255", 255},
        {"type 1000", retype("1000"), {ControlEventKind::Change}, "255", 255},
        {"type 40", retype("40"), {ControlEventKind::Change}, "40", 40},
        {"Down",
         [] { PressKeys({VK_DOWN}); },
         {ControlEventKind::UpDown, ControlEventKind::Change},
         "39",
         39},
        // Text that is not yet a number of the range leaves the value where it was, and the
        // field shows that value again once the focus leaves it.
        {"type 5", retype("5"), {ControlEventKind::Change}, "5", 39},
        {"Tab out with 5", [] { PressKeys({VK_TAB}); }, {}, "39", 39},
    };
    SettleAndTakeEvents();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.action);
        step.act();
        const std::vector<WindowEvent> events = SettleAndTakeEvents();
        for (const WindowEvent& event : events)
            RunLoopAction(event);
        std::vector<ControlEventKind> kinds = KindsOf(events, TransparencySpin);
        kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
        EXPECT_EQ(kinds, step.kinds);
        EXPECT_EQ(GetText(TransparencySpin), step.shown);
        EXPECT_EQ(Opacity(), step.opacity);
        EXPECT_EQ(GetSpinValue(TransparencySpin), std::max(step.opacity, 20)); // what is saved
    }
}

TEST_F(ControlOperations, ATypedRateIsAChange) {
    handlerRuns = 0;
    BindControlHandler(BaudCombo, BindKind::ChangeOnly, CountRun);
    TypeInto(BaudCombo, "5");
    EXPECT_EQ(handlerRuns, 1);
    EXPECT_EQ(KindsOf(SettleAndTakeEvents(), BaudCombo),
              std::vector<ControlEventKind>{ControlEventKind::Change});
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

// The rich-text control holds paragraph marks, read back as CR LF each.
TEST_F(ControlOperations, ViewLineBreaksAreReadAsCrLf) {
    // A CR LF split between two appends is one break; in a cleared view a LF is one of its own.
    AppendToView(ReceiveView, "c\r");
    AppendToView(ReceiveView, "\nd\r");
    EXPECT_EQ(GetText(ReceiveView), "c\r\nd\r\n");
    SetText(ReceiveView, "");
    AppendToView(ReceiveView, "\ne");
    EXPECT_EQ(GetText(ReceiveView), "\r\ne");
}

TEST_F(ControlOperations, AppendedTextGoesToTheEndWhereverTheCaretIs) {
    AppendToView(ReceiveView, "abc");
    CHARRANGE start = {0, 1};
    SendMessageA(ControlHandle(ReceiveView), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    AppendToView(ReceiveView, "def");
    EXPECT_EQ(GetText(ReceiveView), "abcdef");
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

} // namespace
