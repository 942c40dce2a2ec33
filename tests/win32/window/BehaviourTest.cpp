#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <richedit.h>
#include <utility>
#include <vector>

#include "shared/TerminalState.h"
#include "support/win32/Win32WindowFixture.h"
#include "ui/Appearance.h"
#include "ui/ConnectPicture.h"
#include "ui/Contrast.h"
#include "ui/ControlTable.h"

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

// The pixels the control shows inside its border, 0x00RRGGBB, in rows of its width.
std::vector<std::uint32_t> PixelsOf(HWND control) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT area;
    GetClientRect(control, &area);
    BITMAPINFO format{};
    format.bmiHeader = {
        sizeof format.bmiHeader, area.right, -area.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(area.right) * area.bottom);
    const HDC dc = GetDC(control);
    const HBITMAP copy = CreateCompatibleBitmap(dc, area.right, area.bottom);
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, area.right, area.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    GetDIBits(memory, copy, 0, area.bottom, pixels.data(), &format, DIB_RGB_COLORS);
    DeleteDC(memory);
    DeleteObject(copy);
    ReleaseDC(control, dc);
    for (std::uint32_t& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    const auto rgb = [](std::uint32_t pixel) {
        return Rgb{static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                   static_cast<std::uint8_t>(pixel)};
    };
    return ContrastRatio(rgb(a), rgb(b));
}

// The commonest of the pixels, and the one of the highest contrast on it.
std::pair<std::uint32_t, std::uint32_t>
BackgroundAndText(const std::vector<std::uint32_t>& pixels) {
    std::map<std::uint32_t, int> seen;
    for (const std::uint32_t pixel : pixels)
        ++seen[pixel];
    const std::uint32_t background =
        std::max_element(seen.begin(), seen.end(), [](auto& a, auto& b) {
            return a.second < b.second;
        })->first;
    std::uint32_t text = background;
    for (const auto& [pixel, times] : seen)
        if (ContrastRatio(pixel, background) > ContrastRatio(text, background))
            text = pixel;
    return {background, text};
}

// Under a dark or light scheme a fixed text colour gets a background it can be read on, chosen
// again as the scheme changes; the automatic colour is the scheme's own, and so is a selection.
TEST_F(WindowBehaviour, TextIsReadableOnDarkAndLightSchemes) {
    const INT elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
    const COLORREF dark[] = {RGB(30, 30, 30), RGB(238, 238, 238), RGB(38, 79, 120),
                             RGB(238, 238, 238)};
    const COLORREF light[] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(38, 79, 120),
                              RGB(238, 238, 238)};
    COLORREF saved[4];
    std::transform(elements, elements + 4, saved, GetSysColor);
    const struct {
        const char* what;
        const COLORREF* scheme;
        int32_t colour;
        std::uint32_t background;
        double contrast; // at least
    } rows[] = {
        {"automatic colour", dark, -1, 0x1E1E1E, 13.0},
        {"black, the default", dark, 0, 0xFFFFFF, 20.0},
        {"yellow", dark, RGB(255, 255, 0), 0x1E1E1E, 13.0},
        {"red: 4.17 on the window colour, 4.0 on white", dark, RGB(255, 0, 0), 0x1E1E1E, 4.1},
        {"white on white: black", light, RGB(255, 255, 255), 0x000000, 20.0},
    };
    ShowMainWindow();
    for (const ControlId id : {ReceiveView, SendEditor})
        SetText(id, "ЖЖЖ Ж Ж\r\nЖЖЖ Ж Ж");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        terminal.Font = {"Courier", 12, Bold, row.colour};
        ApplyTextFont();
        SetSysColors(4, elements, row.scheme); // the system tells the window
        for (const ControlId id : {ReceiveView, SendEditor}) {
            SCOPED_TRACE(id);
            const std::vector<std::uint32_t> plain = PixelsOf(ControlHandle(id));
            const auto [background, text] = BackgroundAndText(plain);
            EXPECT_EQ(background, row.background);
            EXPECT_GE(ContrastRatio(text, background), row.contrast);
            SendMessageA(ControlHandle(id), EM_SETSEL, 0, -1);
            std::vector<std::uint32_t> selection = PixelsOf(ControlHandle(id));
            SendMessageA(ControlHandle(id), EM_SETSEL, 0, 0);
            std::erase(selection, background); // the fill and the text on it stay
            const auto [fill, selectedText] = BackgroundAndText(selection);
            EXPECT_EQ(fill, 0x264F78u);
            EXPECT_GE(ContrastRatio(selectedText, fill), kTextContrast);
        }
        SetSysColors(4, elements, saved);
    }
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
