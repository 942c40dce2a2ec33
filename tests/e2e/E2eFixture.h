#pragma once
// The built comterm in a program directory of its own, on a private X server, with a
// pseudo-terminal as its port, driven from outside as a user would.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "ProgramRun.h"
#include "support/PtyPeer.h"
#include "support/SettingsText.h"
#include "UserInput.h"
#include "WaylandDesktop.h"
#include "XSession.h"

using namespace std::chrono_literals;

inline const std::string kTitleClosed = "Порт закрыт";
inline const std::string kTitleOpen = "Порт открыт";
inline const std::string kTitleOpenFailed = "Ошибка при открытии порта";

// Points inside each control, in the window's client area.
struct Point {
    int x;
    int y;
};
namespace At {
constexpr Point AutoConnect{20, 12};
constexpr Point Connect{52, 30};
constexpr Point Port{132, 30};
constexpr Point BaudText{115, 53};
constexpr Point BaudArrow{156, 53};
constexpr Point Hex{178, 44};
constexpr Point Char{178, 60};
constexpr Point Bin{178, 28};
constexpr Point Log{176, 12};
constexpr Point OnTop{108, 12};
constexpr Point NewDate{220, 12};
constexpr Point Spin{240, 30};
constexpr Point Clear{52, 54};
} // namespace At

template <class Condition>
bool PollUntil(Condition done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = 10ms) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(interval);
    }
}

// Windows-1251 bytes of UTF-8 text holding ASCII and Russian letters only.
std::string Cp1251(const std::string& utf8);
std::string HexText(const std::string& bytes);
// Bytes waiting for the program on the pty's device side.
int WaitingOnDevice(const PtyPeer& peer);
// True once the program has taken every byte the peer wrote: none waits for 100 ms on end.
bool WaitConsumed(const PtyPeer& peer, std::chrono::milliseconds timeout);

// A started program and its main window.
struct Instance {
    std::unique_ptr<RunningProgram> process;
    XWindowId window = 0;
};

class ComtermE2e : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program and waits for its window; as another user when given, and with the
    // arguments given.
    void Launch(std::optional<uid_t> user = std::nullopt,
                const std::vector<std::string>& arguments = {});
    // Links COM5 to the peer, chooses it in the settings, writes them and launches.
    void LaunchOnCom5(const PtyPeer& peer, StoredSettings& settings);
    // Closes the window as a window manager's close box does and waits for the process to
    // end; its exit status, or -1 when it ended otherwise or not in time.
    int CloseWindow();
    // The same for a second program beside the one under test, or one installed elsewhere.
    void StartInstance(const fs::path& binary, std::optional<uid_t> user, const fs::path& output,
                       Instance& started, const std::vector<std::string>& arguments = {});
    int CloseInstance(Instance& instance, const fs::path& output);

    WindowGeometry Geometry();
    void ClickAt(Point client);
    void ClickSendEditor();
    // Types a line into the send editor (already focused) and presses Enter.
    void TypeLine(const std::string& utf8);
    // Picks an entry ("COM1" to "COM256") of the port list by opening it and moving to it with
    // the arrow keys.
    void ChoosePort(const std::string& name);
    // Opens the rate list by its arrow and waits until it takes the keys.
    void OpenRateList();
    // The open drop-down lists, waiting for one to be mapped, and whether all are unmapped in
    // time: the toolkit may map or unmap a list a moment after it has handled the click or key.
    std::vector<XWindowId> WaitForLists();
    bool WaitForListsClosed();
    std::string Title();
    bool WaitForTitle(const std::string& title, std::chrono::milliseconds timeout = 10s);
    // Returns once the program has handled every input event sent before it.
    void Sync();
    // Top-level windows of the program other than the main window (message boxes, dialogs).
    std::vector<XWindowId> Dialogs();
    std::optional<XWindowId> WaitForDialog(std::chrono::milliseconds timeout = 10s);
    // Presses OK (Enter) in a message box and waits until it has gone.
    void DismissDialog(XWindowId dialog);
    // Connects with the Connect button and expects the port open.
    void Connect();
    // The only log file of the program directory, when there is exactly one.
    std::optional<fs::path> SingleLog();
    bool WaitForLog(const std::string& bytes, std::chrono::milliseconds timeout = 10s);

    // Runs the program's next starts on a Wayland desktop instead of the plain X server, with
    // the variables a desktop session sets; with Xwayland, `x` then talks to its X server.
    void UseWaylandDesktop(bool withXwayland);
    // Starts the program without waiting for an X window, with its output in the file.
    std::unique_ptr<RunningProgram> StartWithoutWindow(const fs::path& output);

    // Variables the program gets over the harness's own, as LaunchOptions takes them.
    std::map<std::string, std::optional<std::string>> environment;
    std::optional<std::uint64_t> fileSizeLimit; // for the program's next starts
    std::unique_ptr<WaylandDesktop> desktop;

    fs::path run;
    std::unique_ptr<XServer> server;
    std::unique_ptr<XClient> x;
    std::unique_ptr<UserInput> input;
    std::unique_ptr<ProgramDirectory> program;
    std::unique_ptr<RunningProgram> process;
    XWindowId window = 0;
};

// An unprivileged user to run the program as: root ignores permission bits, so only that way
// can a file, a directory or a device be closed to the program. Nothing when the system has no
// such user.
std::optional<uid_t> Nobody();

// The name a log file started at that time gets.
std::string LogNameAt(std::time_t time);
// The name a log file started now gets.
std::string LogNameNow();
