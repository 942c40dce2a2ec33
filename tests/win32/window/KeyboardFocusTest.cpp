#include <windows.h>

#include <commctrl.h>

#include "ui/win32/KeyboardFocus.h"
#include "support/win32/Win32WindowFixture.h"

namespace {

void SetShiftHeld(bool held) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Presses Tab on the focused window and reports where the focus went.
int PressTab() {
    const MSG tab = {GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_TRUE(TakeFocusKey(tab));
    return FocusedControl(GetFocus());
}

class KeyboardFocus : public Win32WindowTest {
  protected:
    void SetUp() override {
        Win32WindowTest::SetUp();
        ShowMainWindow();
    }
    void TearDown() override {
        SetShiftHeld(false);
        Win32WindowTest::TearDown();
    }
};

TEST_F(KeyboardFocus, TabVisitsEveryControlInCreationOrderAndWrapsAround) {
    SetFocus(ControlHandle(AutoConnectCheck));
    std::vector<int> visited;
    for (int step = 0; step < ViewSplitter; ++step)
        visited.push_back(PressTab());
    const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0};
    EXPECT_EQ(visited, expected);
}

TEST_F(KeyboardFocus, ShiftTabGoesBackAndSkipsDisabledControls) {
    EnableWindow(ControlHandle(ClearButton), FALSE);
    SetFocus(ControlHandle(ReceiveView));
    SetShiftHeld(true);
    EXPECT_EQ(PressTab(), FontButton);
    EXPECT_EQ(PressTab(), TransparencySpin);
    SetFocus(ControlHandle(AutoConnectCheck));
    EXPECT_EQ(PressTab(), SendEditor);
}

// In the editable combo box and the spin box the typing field takes the focus.
TEST_F(KeyboardFocus, TextFieldsInsideControlsTakeTheFocus) {
    SetFocus(ControlHandle(PortCombo));
    PressTab();
    EXPECT_EQ(GetFocus(), reinterpret_cast<HWND>(
                              SendMessageA(ControlHandle(BaudCombo), CBEM_GETEDITCONTROL, 0, 0)));
    SetFocus(ControlHandle(NewDateCheck));
    PressTab();
    EXPECT_EQ(GetFocus(), ControlHandle(TransparencySpin));
}

TEST_F(KeyboardFocus, TabInTheSendEditorMovesOnWithoutTypingATab) {
    const HWND editor = ControlHandle(SendEditor);
    SetFocus(editor);
    PostMessageA(editor, WM_KEYDOWN, VK_TAB, 1);
    SettleAndTakeEvents();
    EXPECT_EQ(FocusedControl(GetFocus()), AutoConnectCheck);
    EXPECT_EQ(GetText(SendEditor), "");
}

TEST_F(KeyboardFocus, ReactivatedWindowGivesTheFocusBackToWhereItWas) {
    const HWND baudField =
        reinterpret_cast<HWND>(SendMessageA(ControlHandle(BaudCombo), CBEM_GETEDITCONTROL, 0, 0));
    SetFocus(baudField);
    const HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400,
                                       0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    EXPECT_NE(GetFocus(), baudField);
    SetActiveWindow(MainWindowHandle());
    EXPECT_EQ(GetFocus(), baudField);
    DestroyWindow(other);
}

} // namespace
