#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>

#include "app/EventLoop.h"
#include "app/ProgramDirectory.h"
#include "app/Startup.h"
#include "shared/TerminalState.h"
#include "support/ScratchDirectory.h"
#include "ui/win32/MainWindowState.h"
#include "ui/Window.h"
#include "support/win32/UnderWine.h"

namespace {

// The whole life of the program without a settings file: defaults shown, the window closed,
// the settings written beside the program.
TEST(Startup, DefaultsAreShownAndSavedOnClose) {
    MakeProgramDirectoryCurrent();
    std::filesystem::remove("Setting.ini");
    StartUp();
    EXPECT_TRUE(IsWindowVisible(MainWindowHandle()));
    EXPECT_TRUE(IsChecked(OnTopCheck));
    // Wine keeps a window that owns popups, as MainWindow owns its tooltips, out of the
    // topmost band; Windows puts it there.
    if (!UnderWine()) {
        EXPECT_TRUE(GetWindowLongPtrA(MainWindowHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    EXPECT_TRUE(GetWindowLongPtrA(MainWindowHandle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(GetSpinValue(TransparencySpin), 255);
    const WindowPlacement placement = GetWindowPlacement();
    EXPECT_EQ(placement.x, 100);
    EXPECT_EQ(placement.y, 100);
    EXPECT_EQ(placement.width, 420);
    EXPECT_EQ(placement.height, 304);
    EXPECT_EQ(GetSplitterPosition(), 92);

    PostMessageA(MainWindowHandle(), WM_CLOSE, 0, 0);
    RunEventLoop();
    ShutDown();
    const std::string saved = ReadBytes("Setting.ini");
    EXPECT_NE(saved.find("Bauds = 9600\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Window]\r\nx = 100\r\ny = 100\r\nw = 420\r\nh = 304\r\n"),
              std::string::npos)
        << saved;
    std::filesystem::remove("Setting.ini");
}

// A stored file's values reach the window and come back unchanged at exit, except the opacity
// below the spin box's range, which is applied as read and written as the spin box shows it.
TEST(Startup, StoredSettingsAreShownAndWrittenBack) {
    const std::string stored = "Port = COM7\r\nBauds = 57600\r\nInMode = 2\r\nWinState = 2\r\n"
                               "Pos = 150\r\nLog = 1\r\nnLog = 1\r\nTransparent = 10\r\n"
                               "AutoConnect = 0\r\n[Font]\r\nName = Liberation Mono\r\n"
                               "Size = 10\r\nStyle = 512\r\nColor = 255\r\n[Window]\r\n"
                               "x = 50\r\ny = 60\r\nw = 500\r\nh = 400\r\n";
    MakeProgramDirectoryCurrent();
    WriteBytes("Setting.ini", stored);
    StartUp();
    EXPECT_EQ(GetText(PortCombo), "COM7");
    EXPECT_EQ(GetText(BaudCombo), "57600");
    EXPECT_TRUE(IsChecked(BinOption));
    EXPECT_EQ(terminal.InputMode, 2);
    EXPECT_FALSE(IsChecked(OnTopCheck));
    EXPECT_EQ(GetSplitterPosition(), 150);
    EXPECT_TRUE(IsChecked(LogCheck));
    EXPECT_TRUE(IsChecked(NewDateCheck));
    EXPECT_EQ(GetSpinValue(TransparencySpin), 20);
    BYTE alpha = 0;
    GetLayeredWindowAttributes(MainWindowHandle(), nullptr, &alpha, nullptr);
    EXPECT_EQ(alpha, 10);
    EXPECT_EQ(terminal.Font.Name, "Liberation Mono");
    EXPECT_EQ(terminal.Font.Style, 512);
    const WindowPlacement placement = GetWindowPlacement();
    EXPECT_EQ(placement.x, 50);
    EXPECT_EQ(placement.y, 60);
    EXPECT_EQ(placement.width, 500);
    EXPECT_EQ(placement.height, 400);

    PostMessageA(MainWindowHandle(), WM_CLOSE, 0, 0);
    RunEventLoop();
    ShutDown();
    std::string expected = stored;
    expected.replace(expected.find("WinState = 2"), 12, "WinState = 0");
    expected.replace(expected.find("Transparent = 10"), 16, "Transparent = 20");
    EXPECT_EQ(ReadBytes("Setting.ini"), expected);
    std::filesystem::remove("Setting.ini");
}

} // namespace
