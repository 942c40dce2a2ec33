// The whole link over the Win32 window: COM5 and COM12 are pseudo-terminals that pty_peer.py
// links into the Wine prefix; they echo every byte but "?", which they answer with their line
// settings and their name.
#include <windows.h>

#include <chrono>
#include <commctrl.h>
#include <filesystem>
#include <functional>
#include <regex>

#include "app/EventLoop.h"
#include "app/Startup.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "storage/ReceiveLog.h"
#include "support/ScratchDirectory.h"
#include "support/win32/Win32WindowFixture.h"
#include "terminal/LineSender.h"
#include "ui/ControlTable.h"

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
        CloseLog();
        Win32WindowTest::TearDown();
    }

    // Lets the window run, its timer included, until the view holds the text or time is up.
    std::string WaitForView(const std::string& wanted) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (GetText(ReceiveView) != wanted && std::chrono::steady_clock::now() < end)
            RunLoopActions();
        return GetText(ReceiveView);
    }

    // What the program's loop does with the events so far.
    void RunLoopActions() {
        for (const WindowEvent& event : SettleAndTakeEvents())
            RunLoopAction(event);
    }

    // The rate and the port in use, as the far end reports them: "9600 com5".
    std::string LineInUse() {
        if (!SerialPort::IsOpen())
            return "no port open";
        SetText(ReceiveView, "");
        SerialPort::WriteText("?");
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        std::string answer;
        while (!answer.ends_with("\r\n") && std::chrono::steady_clock::now() < end) {
            SettleAndTakeEvents();
            answer = GetText(ReceiveView);
        }
        const std::regex settings(R"((\d+) 8 noparity onestop noflow noxon (com\d+)\r\n)");
        std::smatch parts;
        if (!std::regex_match(answer, parts, settings))
            return "answer " + answer;
        return parts[1].str() + " " + parts[2].str();
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

    // The far end goes away for half a second: a tick closes the port as a release does.
    SerialPort::WriteText("!");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (IsChecked(ConnectButton) && std::chrono::steady_clock::now() < end)
        RunLoopActions();
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_FALSE(IsChecked(ConnectButton));
    EXPECT_EQ(GetTitle(), kPortClosedTitle);
    EXPECT_EQ(GetText(ConnectButton), kConnectCaption);
    // Back for the next test.
    for (int attempt = 0; attempt < 100 && !SerialPort::Open("COM5", 9600); ++attempt)
        Sleep(20);
    EXPECT_TRUE(SerialPort::IsOpen());
}

// Every CR and every LF breaks the line, a CR LF once, and text that reads like RTF is text;
// the view reads each break as CR LF.
TEST_F(LinkTest, CharacterModeShowsTheBytesThemselves) {
    SetText(PortCombo, "COM5");
    SetText(BaudCombo, "9600");
    SendMessageA(ControlHandle(CharOption), BM_CLICK, 0, 0);
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    Type("\xCF\xF0\xE8\xE2\xE5\xF2\r");
    EXPECT_EQ(WaitForView("\xCF\xF0\xE8\xE2\xE5\xF2\r\n"), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n");
    const struct {
        const char* received;
        const char* shown;
    } rows[] = {
        {"{\\rtf1 x}\r\n{\\urtf1 y}\r\n", "{\\rtf1 x}\r\n{\\urtf1 y}\r\n"},
        {"{\\rtf1\\ansi \xCF\xF0\xE8}\r", "{\\rtf1\\ansi \xCF\xF0\xE8}\r\n"},
        {"x\r\r\ny\r\n", "x\r\n\r\ny\r\n"},
        {"a\rb\nc\n\rd\r\r", "a\r\nb\r\nc\r\n\r\nd\r\n\r\n"},
    };
    for (const auto& row : rows) {
        SetText(ReceiveView, "");
        SerialPort::WriteText(row.received);
        EXPECT_EQ(WaitForView(row.shown), row.shown) << row.received;
    }
}

// Typed with real keys, each Enter of the line "a" shows in what the far end echoes: the line
// before it and the one after go once each, and nothing else goes.
TEST_F(LinkTest, EachEnterKeySendsTheLineJustEndedAtMostOnce) {
    ShowMainWindow();
    ASSERT_TRUE(BecomesForeground(MainWindowHandle()));
    SetText(PortCombo, "COM5");
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    const char* const allSent = "70 0D 61 0D 7A 0D ";
    const char* const breakOnly = "70 0D 7A 0D ";
    const struct {
        const char* keys;
        std::vector<WORD> press;
        bool keypad;
        const char* echoed;
        const char* edited;
    } rows[] = {
        {"Enter", {VK_RETURN}, false, allSent, "p\r\na\r\nz\r\n"},
        {"keypad Enter", {VK_RETURN}, true, allSent, "p\r\na\r\nz\r\n"},
        {"Shift+Enter", {VK_SHIFT, VK_RETURN}, false, allSent, "p\r\na\r\nz\r\n"},
        {"Shift+keypad Enter", {VK_SHIFT, VK_RETURN}, true, allSent, "p\r\na\r\nz\r\n"},
        {"Ctrl+Enter", {VK_CONTROL, VK_RETURN}, false, breakOnly, "p\r\na\r\nz\r\n"},
        {"Ctrl+keypad Enter", {VK_CONTROL, VK_RETURN}, true, breakOnly, "p\r\na\r\nz\r\n"},
        {"Alt+Enter", {VK_MENU, VK_RETURN}, false, "70 0D 61 7A 0D ", "p\r\naz\r\n"},
        {"Alt+keypad Enter", {VK_MENU, VK_RETURN}, true, "70 0D 61 7A 0D ", "p\r\naz\r\n"},
    };
    for (const auto& row : rows) {
        SetText(SendEditor, "");
        SetText(ReceiveView, "");
        SetFocus(ControlHandle(SendEditor));
        TypeKeys("p");
        PressKeys({VK_RETURN});
        TypeKeys("a");
        PressKeys(row.press, row.keypad);
        TypeKeys("z");
        PressKeys({VK_RETURN});
        EXPECT_EQ(WaitForView(row.echoed), row.echoed) << row.keys;
        EXPECT_EQ(GetText(SendEditor), row.edited) << row.keys;
    }
}

// Whatever the user does with the two combo boxes, an open port works at the rate and is the
// port that they show; only a new text or selection is a change.
TEST_F(LinkTest, TheOpenPortIsAlwaysTheOneTheComboBoxesShow) {
    ShowMainWindow();
    ASSERT_TRUE(BecomesForeground(MainWindowHandle()));
    SendMessageA(ControlHandle(CharOption), BM_CLICK, 0, 0);
    SetText(PortCombo, "COM5");
    SetText(BaudCombo, "9600");
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    RunLoopActions();
    const HWND rateField =
        reinterpret_cast<HWND>(SendMessageA(ControlHandle(BaudCombo), CBEM_GETEDITCONTROL, 0, 0));
    const auto clickField = [rateField] {
        RECT field;
        GetClientRect(rateField, &field);
        ClickAt(ScreenPointOf(rateField, field.right - 2, field.bottom / 2));
    };
    // Picks an entry from the list the way a mouse does.
    const auto pick = [](ControlId id, int index) {
        const HWND combo = ControlHandle(id);
        RECT box;
        GetClientRect(combo, &box);
        ClickAt(ScreenPointOf(combo, box.right - 6, box.bottom / 2));
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        GetComboBoxInfo(reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETCOMBOCONTROL, 0, 0)),
                        &parts);
        SendMessageA(parts.hwndList, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        RECT item;
        SendMessageA(parts.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        ClickAt(ScreenPointOf(parts.hwndList, item.left + 5, (item.top + item.bottom) / 2));
    };
    const struct {
        const char* action;
        std::function<void()> act;
        bool change;
    } steps[] = {
        {"click into the rate field", clickField, false},
        {"type 0 at its end",
         [] {
             PressKeys({VK_END});
             TypeKeys("0");
         },
         true},
        {"delete it again", [] { PressKeys({VK_BACK}); }, true},
        {"pick 19200", [&] { pick(BaudCombo, 4); }, true},
        {"type 0 after it",
         [&] {
             clickField();
             PressKeys({VK_END});
             TypeKeys("0");
         },
         true},
        {"pick 19200 again", [&] { pick(BaudCombo, 4); }, true},
        {"open the list with F4 in the field and close it with Escape",
         [&] {
             clickField();
             PressKeys({VK_F4});
             PressKeys({VK_ESCAPE});
         },
         false},
        {"choose the next rate with the keys",
         [&] {
             clickField();
             PressKeys({VK_MENU, VK_DOWN});
             PressKeys({VK_DOWN});
             PressKeys({VK_RETURN});
         },
         true},
        {"type 1 and press Escape in the field",
         [&] {
             clickField();
             TypeKeys("1");
             PressKeys({VK_ESCAPE});
         },
         true},
        {"leave the field with Tab",
         [&] {
             clickField();
             PressKeys({VK_TAB});
         },
         false},
        {"pick COM12", [&] { pick(PortCombo, 11); }, true},
        {"open the port list with F4 under the resting mouse and close it with Escape",
         [] {
             const HWND combo = ControlHandle(PortCombo);
             RECT box;
             GetWindowRect(combo, &box);
             MoveMouseTo({box.left + 10, box.bottom + 100});
             SetFocus(reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETCOMBOCONTROL, 0, 0)));
             PressKeys({VK_F4});
             PressKeys({VK_ESCAPE});
         },
         false},
        {"pick COM5", [&] { pick(PortCombo, 4); }, true},
    };
    EXPECT_EQ(LineInUse(), "9600 com5");
    for (const auto& step : steps) {
        SCOPED_TRACE(step.action);
        step.act();
        bool changed = false;
        for (const WindowEvent& event : SettleAndTakeEvents()) {
            changed |= event.type == EventType::Control &&
                       (event.control == PortCombo || event.control == BaudCombo) &&
                       event.kind == ControlEventKind::Change;
            RunLoopAction(event);
        }
        EXPECT_EQ(changed, step.change);
        const std::string rate = GetText(BaudCombo);
        // Wine sets a rate the device does not have to 38400.
        const bool deviceRate = rate == "9600" || rate == "19200" || rate == "38400";
        std::string port = GetText(PortCombo);
        port[0] = 'c', port[1] = 'o', port[2] = 'm';
        EXPECT_EQ(LineInUse(), (deviceRate ? rate : "38400") + " " + port);
    }
}

// The logs of this test's directory, by name.
std::vector<std::filesystem::path> Logs() {
    std::vector<std::filesystem::path> logs;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().ends_with("_Tavik.log"))
            logs.push_back(entry.path());
    return logs;
}

TEST_F(LinkTest, ReceivedTextIsLoggedExactlyAsShown) {
    for (const auto& log : Logs())
        std::filesystem::remove(log);
    SetText(PortCombo, "COM5");
    SendMessageA(ControlHandle(LogCheck), BM_CLICK, 0, 0);
    RunLoopActions();
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    Type("Log\r");
    ASSERT_EQ(WaitForView("4C 6F 67 0D "), "4C 6F 67 0D ");
    CloseLog();
    const std::vector<std::filesystem::path> logs = Logs();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_TRUE(std::regex_match(logs[0].filename().string(),
                                 std::regex(R"(\d\d_\d\d_\d\d__\d\d_\d\d_\d{4}_Tavik\.log)")))
        << logs[0];
    EXPECT_EQ(ReadBytes(logs[0]), "4C 6F 67 0D ");
    std::filesystem::remove(logs[0]);
}

// The receive timer, counting towards auto-connect, goes on while the message is shown; the
// line break stays typed.
TEST_F(LinkTest, EnterWithoutAPortSaysSoAndKeepsTheLineBreak) {
    ShowMainWindow();
    terminal.AutoConnectFlag = 1;
    Type("x");
    const int64_t ticksBefore = terminal.ReconnectTicks;
    int64_t ticksWhileOpen = 0;
    WhileDialogIsOpen([this] { Type("\r"); },
                      [&](HWND box) {
                          EXPECT_EQ(ItemText(box, kMessageText),
                                    "\xCD\xE5\xF2 \xEE\xF2\xEA\xFB\xF2\xEE\xE3\xEE "
                                    "\xEF\xEE\xF0\xF2\xE0"); // "Нет откытого порта"
                          const DWORD until = GetTickCount() + 200;
                          MSG message;
                          while (GetTickCount() < until)
                              if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                                  DispatchMessageA(&message);
                          ticksWhileOpen = terminal.ReconnectTicks - ticksBefore;
                      },
                      IDOK);
    EXPECT_GT(ticksWhileOpen, 0);
    EXPECT_EQ(GetText(SendEditor), "x\r\n");
}

TEST_F(LinkTest, AMissingPortTurnsTheButtonBack) {
    SetText(PortCombo, "COM200");
    SendMessageA(ControlHandle(ConnectButton), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsChecked(ConnectButton));
    EXPECT_EQ(GetText(ConnectButton), kConnectCaption);
}

} // namespace
