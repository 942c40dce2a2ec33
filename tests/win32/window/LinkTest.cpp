// The whole link over the Win32 window: COM5 is a pseudo-terminal that pty_peer.py links into
// the Wine prefix and that echoes every byte.
#include <windows.h>

#include <chrono>

#include "app/Startup.h"
#include "app/TerminalState.h"
#include "serial/LineSender.h"
#include "serial/SerialPort.h"
#include "ui/ControlTable.h"
#include "Win32WindowFixture.h"

namespace {

class LinkTest : public Win32WindowTest {
  protected:
    void SetUp() override {
        Win32WindowTest::SetUp();
        BindHandlers();
        InstallSendEditorHook(SendEditorHook);
        StartTimer(40);
    }
    void TearDown() override {
        SerialPort::Close();
        Win32WindowTest::TearDown();
    }

    // Lets the window run, its timer included, until the view holds the text or time is up.
    std::string WaitForView(const std::string& wanted) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (GetText(ReceiveView) != wanted && std::chrono::steady_clock::now() < end)
            SettleAndTakeEvents();
        return GetText(ReceiveView);
    }

    void Type(const char* text) {
        const HWND editor = ControlHandle(SendEditor);
        for (const char* c = text; *c; ++c) {
            if (*c == '\r')
                SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 1);
            SendMessageA(editor, WM_CHAR, static_cast<unsigned char>(*c), 1);
        }
    }
};

TEST_F(LinkTest, ConnectingShowsThePortOpenAndATypedLineComesBackInHex) {
    SetText(PortCombo, "COM5");
    SetText(BaudCombo, "115200");
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(ConnectButton));
    EXPECT_EQ(GetTitle(), "\xCF\xEE\xF0\xF2 \xEE\xF2\xEA\xF0\xFB\xF2"); // "Порт открыт"
    EXPECT_EQ(GetText(ConnectButton), kDisconnectCaption);
    Type("AB\r");
    EXPECT_EQ(WaitForView("41 42 0D "), "41 42 0D ");
}

TEST_F(LinkTest, CharacterModeShowsTheBytesThemselves) {
    SetText(PortCombo, "COM5");
    SetText(BaudCombo, "9600");
    SendMessageA(ControlHandle(CharOption), BM_CLICK, 0, 0);
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    Type("\xCF\xF0\xE8\xE2\xE5\xF2\r");
    EXPECT_EQ(WaitForView("\xCF\xF0\xE8\xE2\xE5\xF2\r\n"), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n");
}

TEST_F(LinkTest, AMissingPortTurnsTheButtonBack) {
    SetText(PortCombo, "COM200");
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsChecked(ConnectButton));
    EXPECT_EQ(GetText(ConnectButton), kConnectCaption);
}

} // namespace
