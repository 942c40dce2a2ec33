#include <windows.h>

#include <richedit.h>

#include "shared/TerminalState.h"
#include "support/win32/Win32WindowFixture.h"
#include "ui/Appearance.h"
#include "ui/win32/ModalDialogGuard.h"

namespace {

constexpr int kSizeList = 0x472; // the font chooser's size list

class ModalDialogs : public Win32WindowTest {
  protected:
    void SetUp() override {
        Win32WindowTest::SetUp();
        ShowMainWindow();
    }
    void TearDown() override {
        for (const HWND window : others)
            DestroyWindow(window);
        Win32WindowTest::TearDown();
    }
    // Another top-level window of this thread: Wine keeps MainWindow, which owns its tooltips,
    // out of the topmost band, so the band is watched on windows like this one.
    HWND OtherWindow(bool topmost, bool enabled) {
        const HWND window =
            CreateWindowExA(topmost ? WS_EX_TOPMOST : 0, "STATIC", "other", WS_OVERLAPPEDWINDOW,
                            400, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        EnableWindow(window, enabled);
        others.push_back(window);
        return window;
    }
    std::vector<HWND> others;
};

TEST_F(ModalDialogs, MessageBoxBelongsToTheForegroundWindowAndHoldsTheOthersBack) {
    const HWND other = OtherWindow(false, true);
    const HWND disabled = OtherWindow(false, false);
    ASSERT_TRUE(BecomesForeground(MainWindowHandle()));
    WhileDialogIsOpen([] { ShowMessage("\xCF\xEE\xF0\xF2 \xED\xE5 \xEE\xF2\xEA\xF0\xFB\xF2"); },
                      [&](HWND box) {
                          EXPECT_EQ(GetWindow(box, GW_OWNER), MainWindowHandle());
                          EXPECT_EQ(ItemText(box, kMessageText),
                                    "\xCF\xEE\xF0\xF2 \xED\xE5 \xEE\xF2\xEA\xF0\xFB\xF2");
                          char title[64] = "?";
                          GetWindowTextA(box, title, sizeof title);
                          EXPECT_STREQ(title, "");
                          EXPECT_FALSE(IsWindowEnabled(MainWindowHandle()));
                          EXPECT_FALSE(IsWindowEnabled(other));
                      },
                      IDOK);
    EXPECT_TRUE(IsWindowEnabled(MainWindowHandle()));
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_FALSE(IsWindowEnabled(disabled));
}

TEST_F(ModalDialogs, TopmostWindowsLeaveTheirBandWhileAMessageBoxIsOpen) {
    const HWND onTop = OtherWindow(true, true);
    const HWND normal = OtherWindow(false, true);
    ASSERT_TRUE(IsTopmost(onTop));
    WhileDialogIsOpen([] { ShowMessage("x"); },
                      [&](HWND) {
                          EXPECT_FALSE(IsTopmost(onTop));
                          EXPECT_FALSE(IsWindowEnabled(normal));
                      },
                      IDOK);
    EXPECT_TRUE(IsTopmost(onTop));
    EXPECT_FALSE(IsTopmost(normal));
    EXPECT_TRUE(IsWindowEnabled(onTop));
    EXPECT_TRUE(IsWindowEnabled(normal));
}

TEST_F(ModalDialogs, FontChooserStartsFromTheSettingsAndOkStoresAndAppliesThem) {
    const HWND onTop = OtherWindow(true, true);
    terminal.Font = {"Liberation Mono", 12, Bold | Underline, 0x0000FF};
    WhileDialogIsOpen(
        ChooseTextFont,
        [&](HWND) {
            EXPECT_FALSE(IsWindowEnabled(MainWindowHandle()));
            EXPECT_FALSE(IsTopmost(onTop));
        },
        IDOK);
    EXPECT_TRUE(IsTopmost(onTop));
    EXPECT_EQ(terminal.Font.Name, "Liberation Mono");
    EXPECT_EQ(terminal.Font.Size, 12);
    EXPECT_EQ(terminal.Font.Style, Bold | Underline);
    EXPECT_EQ(terminal.Font.Color, 0x0000FF);
    for (const ControlId id : {ReceiveView, SendEditor}) {
        const CHARFORMATA format = DefaultFormat(id);
        EXPECT_STREQ(format.szFaceName, "Liberation Mono") << id;
        EXPECT_EQ(format.yHeight, 12 * 20) << id; // in twips
        EXPECT_TRUE(format.dwEffects & CFE_UNDERLINE) << id;
        EXPECT_EQ(format.crTextColor, 0x0000FFu) << id;
    }
}

TEST_F(ModalDialogs, CancelledFontChooserChangesNothing) {
    const HWND onTop = OtherWindow(true, true);
    terminal.Font = {"Liberation Mono", 12, Italic, kAutomaticColour};
    ApplyTextFont();
    WhileDialogIsOpen(
        ChooseTextFont, [](HWND) {}, IDCANCEL);
    EXPECT_TRUE(IsTopmost(onTop));
    EXPECT_EQ(terminal.Font.Name, "Liberation Mono");
    EXPECT_EQ(terminal.Font.Size, 12);
    EXPECT_EQ(terminal.Font.Style, Italic);
    EXPECT_EQ(terminal.Font.Color, kAutomaticColour);
    EXPECT_TRUE(DefaultFormat(ReceiveView).dwEffects & CFE_AUTOCOLOR);
}

// The chooser knows no automatic colour and no proof quality: it starts from black and a
// regular face, and OK stores those. The size is what the user picked.
TEST_F(ModalDialogs, FontChooserStoresThePickedSizeBlackAndNoProofQuality) {
    terminal.Font = {"Liberation Mono", 12, ProofQuality, kAutomaticColour};
    WhileDialogIsOpen(
        ChooseTextFont,
        [](HWND chooser) {
            const HWND sizes = GetDlgItem(chooser, kSizeList);
            ASSERT_NE(
                SendMessageA(sizes, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("10")),
                CB_ERR);
            SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(kSizeList, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(sizes));
        },
        IDOK);
    EXPECT_EQ(terminal.Font.Name, "Liberation Mono");
    EXPECT_EQ(terminal.Font.Size, 10);
    EXPECT_EQ(terminal.Font.Style, 0);
    EXPECT_EQ(terminal.Font.Color, 0);
}

} // namespace
