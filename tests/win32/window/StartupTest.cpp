#include <windows.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "app/EventLoop.h"
#include "app/Startup.h"
#include "app/TerminalState.h"
#include "ui/win32/MainWindowState.h"
#include "ui/Window.h"

namespace {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ReadFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The whole life of the program without a settings file: defaults shown, the window closed,
// the settings written beside the program.
TEST(Startup, DefaultsAreShownAndSavedOnClose) {
    StartUp();
    std::filesystem::remove("Setting.ini");
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
    const std::string saved = ReadFile("Setting.ini");
    EXPECT_NE(saved.find("Bauds = 9600\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Window]\r\nx = 100\r\ny = 100\r\nw = 420\r\nh = 304\r\n"),
              std::string::npos)
        << saved;
    std::filesystem::remove("Setting.ini");
}

} // namespace
