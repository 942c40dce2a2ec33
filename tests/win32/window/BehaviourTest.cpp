#include <windows.h>

#include <richedit.h>

#include "shared/TerminalState.h"
#include "ui/Appearance.h"
#include "ui/ConnectPicture.h"
#include "ui/ControlTable.h"
#include "support/win32/Win32WindowFixture.h"

namespace {

using WindowBehaviour = Win32WindowTest;

std::string textAtEnter;
int enterCount = 0;

void RecordEnter() {
    ++enterCount;
    textAtEnter = GetText(SendEditor);
}

TEST_F(WindowBehaviour, EnterHookRunsAfterTheEditorHasTheLineBreak) {
    enterCount = 0;
    InstallSendEditorHook(RecordEnter);
    const HWND editor = ControlHandle(SendEditor);
    for (const char c : {'a', 'b'})
        SendMessageA(editor, WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ(enterCount, 0);
    // A key press as the message loop delivers it: the key, then its character.
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageA(editor, WM_CHAR, '\r', 1);
    EXPECT_EQ(enterCount, 1);
    EXPECT_EQ(textAtEnter, "ab\r\n");
}

TEST_F(WindowBehaviour, DraggingTheBarMovesThePosition) {
    const HWND splitter = ControlHandle(ViewSplitter);
    SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 103));
    SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 153));
    SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(10, 153));
    EXPECT_EQ(GetSplitterPosition(), 150);
    // The lower minimum holds when the bar is dragged to the bottom.
    SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 151));
    SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 400));
    SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(10, 400));
    EXPECT_EQ(GetSplitterPosition(), 240 - 7 - 20);
}

TEST_F(WindowBehaviour, PressOutsideTheBarDragsNothing) {
    const HWND splitter = ControlHandle(ViewSplitter);
    SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 99));
    SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 150));
    SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(10, 150));
    EXPECT_EQ(GetSplitterPosition(), 100);
}

TEST_F(WindowBehaviour, TextFontAndColourReachBothTextControls) {
    terminal.Font = {"Courier", 12, Bold | Italic, 0x0000FF};
    ApplyTextFont();
    for (const ControlId id : {ReceiveView, SendEditor}) {
        const CHARFORMATA format = DefaultFormat(id);
        EXPECT_STREQ(format.szFaceName, "Courier") << id;
        EXPECT_EQ(format.yHeight, 12 * 20) << id; // in twips
        EXPECT_TRUE(format.dwEffects & CFE_BOLD) << id;
        EXPECT_TRUE(format.dwEffects & CFE_ITALIC) << id;
        EXPECT_FALSE(format.dwEffects & CFE_UNDERLINE) << id;
        EXPECT_FALSE(format.dwEffects & CFE_AUTOCOLOR) << id;
        EXPECT_EQ(format.crTextColor, 0x0000FFu) << id;
    }
}

TEST_F(WindowBehaviour, AutomaticColourIsTheSystemsTextColour) {
    terminal.Font = {"Courier", 12, 0, -1};
    ApplyTextFont();
    EXPECT_TRUE(DefaultFormat(ReceiveView).dwEffects & CFE_AUTOCOLOR);
}

TEST_F(WindowBehaviour, ConnectButtonTakesItsConnectedCaptionAndGivesItBack) {
    ShowConnectionState(true);
    EXPECT_EQ(GetText(ConnectButton), kDisconnectCaption);
    ShowConnectionState(false);
    EXPECT_EQ(GetText(ConnectButton), kConnectCaption);
    EXPECT_TRUE(SettleAndTakeEvents().empty());
}

TEST_F(WindowBehaviour, OpacityMakesTheWindowLayered) {
    MakeWindowLayered();
    ApplyWindowOpacity(300);
    EXPECT_TRUE(GetWindowLongPtrA(MainWindowHandle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(MainWindowHandle(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 300 & 0xFF);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
}

} // namespace

struct FacePixels {
    int field = 0; // the picture's light red
    int dark = 0;  // the glyphs of its word
};

// The pixels of the button's face, 4 pixels in from each edge.
FacePixels ConnectButtonFace() {
    const HWND button = ControlHandle(ConnectButton);
    RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT face;
    GetClientRect(button, &face);
    InflateRect(&face, -4, -4);
    FacePixels pixels;
    const HDC dc = GetDC(button);
    for (int y = face.top; y < face.bottom; ++y) {
        for (int x = face.left; x < face.right; ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            if (pixel == RGB(255, 138, 138))
                ++pixels.field;
            else if (GetRValue(pixel) < 100 && GetGValue(pixel) < 100 && GetBValue(pixel) < 100)
                ++pixels.dark;
        }
    }
    ReleaseDC(button, dc);
    return pixels;
}

TEST_F(WindowBehaviour, ConnectedButtonShowsTheLightRedPictureWithItsWord) {
    ShowMainWindow();
    SetChecked(ConnectButton, true);
    ShowConnectionState(true);
    const FacePixels connected = ConnectButtonFace();
    // 72 x 12 pixels of face; the word covers a part of it.
    EXPECT_GT(connected.field, 72 * 12 / 2);
    EXPECT_GT(connected.dark, 30);
    // Another text font leaves the picture's word as it was.
    terminal.Font = {"Liberation Serif", 20, Bold, 0x00FF00};
    ApplyTextFont();
    const FacePixels afterFont = ConnectButtonFace();
    EXPECT_EQ(afterFont.field, connected.field);
    EXPECT_EQ(afterFont.dark, connected.dark);

    SetChecked(ConnectButton, false);
    ShowConnectionState(false);
    EXPECT_EQ(ConnectButtonFace().field, 0);
}
