// Every setting the user changes through the window comes back on the next start.

#include <algorithm>
#include <cmath>
#include <sstream>

#include "E2eFixture.h"
#include "support/PeerLineSettings.h"
#include "WaylandDesktop.h"

class Restart : public ComtermE2e {
  protected:
    // Runs a command to its end as the user of the test's home, its output into the file; the
    // exit status, -1 when it did not end by itself in time.
    int RunCommand(const fs::path& command, const std::vector<std::string>& arguments,
                   const fs::path& output) {
        LaunchOptions options;
        options.display = server->display();
        options.output = output;
        options.home = run / "home";
        options.arguments = arguments;
        RunningProgram running(command, options);
        return running.WaitExit(120s).value_or(-1);
    }

    // Starts the program as a client of the Wayland desktop: it names its window and draws it
    // (Wayland's own messages in its output say so), and no X window of it appears. It is then
    // ended, as nothing outside a compositor can close a Wayland window.
    void ExpectAWaylandWindow(const std::string& output, bool xServerToWatch) {
        SCOPED_TRACE(output);
        const std::unique_ptr<RunningProgram> started = StartWithoutWindow(run / output);
        const bool drawn = PollUntil(
            [&] {
                const std::string text = ReadFileBytes(run / output);
                return text.find(".set_title(\"Порт закрыт\")") != std::string::npos &&
                       text.find(".attach(") != std::string::npos;
            },
            30s);
        EXPECT_TRUE(drawn) << ReadFileBytes(run / output);
        EXPECT_TRUE(started->Running());
        if (xServerToWatch) {
            EXPECT_TRUE(x->TopLevelWindows(started->pid()).empty()) << "an X window";
        }
    }
};

namespace {

// Width and height from a PNG file's header; none for anything else.
std::optional<std::pair<int, int>> PngSize(const fs::path& file) {
    const std::string bytes = ReadFileBytes(file);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    auto number = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = at; i < at + 4; ++i)
            value = value * 256 + static_cast<unsigned char>(bytes[i]);
        return value;
    };
    return std::pair(number(16), number(20));
}

// The program a menu entry starts: its Exec line, one quoted path.
fs::path ExecOf(const fs::path& entry) {
    std::istringstream lines(ReadFileBytes(entry));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Exec=\"", 0) == 0 && line.size() > 7 && line.back() == '"')
            return line.substr(6, line.size() - 7);
    }
    return {};
}

bool OnTop(const std::vector<std::string>& states) {
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE") != states.end();
}

// The action of the last request about the topmost band: 0 leave, 1 enter, -1 none.
long LastTopmostRequest(const std::vector<StateRequest>& requests) {
    long action = -1;
    for (const StateRequest& request : requests) {
        if (OnTop(request.states))
            action = request.action;
    }
    return action;
}

unsigned long OpacityProperty(int alpha) {
    return static_cast<unsigned long>(std::llround(alpha / 255.0 * 0xFFFFFFFFul));
}

} // namespace

TEST_F(Restart, ARestartRestoresEverySettingChangedInTheWindow) {
    PtyPeer peer;
    program->LinkPort("COM7", peer.path);
    // The font chooser is a dialog of its own; the font is given by the file and must survive.
    program->WriteSettings("[Font]\r\nName = DejaVu Sans Mono\r\nSize = 10\r\nStyle = 768\r\n"
                           "Color = 255\r\n");
    Launch();
    EXPECT_TRUE(OnTop(x->NetWmState(window))) << "a first start stays on top";
    EXPECT_FALSE(x->Opacity(window)) << "fully opaque";

    ChoosePort("COM7");
    ClickAt(At::BaudText);
    input->Key("ctrl+a");
    input->Type("115200");
    ClickAt(At::Bin);
    ClickAt(At::OnTop);
    ClickAt(At::Log);
    ClickAt(At::NewDate);
    ClickAt(At::AutoConnect);
    ClickAt(At::Spin);
    input->Key("ctrl+a");
    input->Type("200");
    Sync();
    EXPECT_EQ(LastTopmostRequest(x->TakeStateRequests(window)), 0) << "asked to leave the band";
    EXPECT_EQ(x->Opacity(window), OpacityProperty(200));

    input->ResizeWindow(window, 500, 400);
    ASSERT_TRUE(PollUntil([&] { return Geometry().width == 500 && Geometry().height == 400; }, 5s));
    Sync();
    // The send editor keeps its 133 pixels, so the bar now starts 188 pixels into the splitter;
    // grabbed 3 pixels into the bar and dropped 38 pixels higher, the view is 150 high.
    const WindowGeometry sized = Geometry();
    input->Drag(sized.x + 150, sized.y + 68 + 188 + 3, sized.x + 150, sized.y + 68 + 150 + 3);
    input->MoveWindow(window, 150, 120);
    ASSERT_TRUE(PollUntil([&] { return Geometry().x == 150 && Geometry().y == 120; }, 5s));
    Sync();

    Connect();
    EXPECT_EQ(ReadPeerLineSettings(peer.controller).outputSpeed, 115200u);
    EXPECT_EQ(CloseWindow(), 0);

    StoredSettings changed;
    changed.Port = "COM7";
    changed.Bauds = "115200";
    changed.InMode = 2;
    changed.WinState = 0;
    changed.Pos = 150;
    changed.Log = 1;
    changed.nLog = 1;
    changed.Transparent = 200;
    changed.AutoConnect = 1;
    changed.Name = "DejaVu Sans Mono";
    changed.Size = 10;
    changed.Style = 768;
    changed.Color = 255;
    changed.x = 150;
    changed.y = 120;
    changed.w = 500;
    changed.h = 400;
    ASSERT_EQ(program->ReadSettings(), FileText(changed));

    // The program takes no command line: Qt's own options change nothing either.
    Launch(std::nullopt, {"-qwindowgeometry", "300x200+500+500", "-qwindowtitle", "other",
                          "-reverse", "-style", "Windows", "-platform", "offscreen"});
    const WindowGeometry restored = Geometry();
    EXPECT_EQ(restored.x, 150);
    EXPECT_EQ(restored.y, 120);
    EXPECT_EQ(restored.width, 500);
    EXPECT_EQ(restored.height, 400);
    EXPECT_FALSE(OnTop(x->NetWmState(window))) << "mapped outside the topmost band";
    EXPECT_EQ(x->Opacity(window), OpacityProperty(200));
    EXPECT_EQ(Title(), kTitleClosed) << "the port is not opened by a start";

    Connect();
    EXPECT_EQ(ReadPeerLineSettings(peer.controller).outputSpeed, 115200u);
    peer.Send("\x05");
    EXPECT_TRUE(WaitForLog("00000101 ")) << "logging on, binary display";
    EXPECT_EQ(CloseWindow(), 0);
    EXPECT_EQ(program->ReadSettings(), FileText(changed)) << "an unchanged run saves the same file";
}

TEST_F(Restart, SettingsComeBackOnAWaylandDesktopThroughItsXServer) {
    // Started as a desktop session starts programs, Qt not told which platform to use.
    UseWaylandDesktop(true);
    StoredSettings stored;
    stored.Bauds = "115200";
    stored.InMode = 0;
    stored.Pos = 150;
    stored.Transparent = 200;
    stored.x = 150;
    stored.y = 120;
    stored.w = 500;
    stored.h = 400;
    program->WriteSettings(FileText(stored));
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        Launch(); // finds the window among the X server's clients
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(x->Opacity(window), OpacityProperty(200));
        EXPECT_EQ(Geometry().width, 500);
        EXPECT_EQ(Geometry().height, 400);
        EXPECT_EQ(CloseWindow(), 0);
        // Where the window finally stands is the compositor's own decision (weston's window
        // manager places it itself); the place asked for is the place the X server reports.
        EXPECT_EQ(program->ReadSettings(), FileText(stored));
    }

    // A user's own choice of Qt's platform stands: the window is then a Wayland client.
    environment["QT_QPA_PLATFORM"] = "wayland";
    environment["WAYLAND_DEBUG"] = "client";
    ExpectAWaylandWindow("chosen-wayland.txt", true);
    EXPECT_EQ(program->ReadSettings(), FileText(stored)) << "no exit, nothing saved";

    // A Wayland desktop without an X server: Qt finds no X display and takes Wayland.
    UseWaylandDesktop(false);
    environment["WAYLAND_DEBUG"] = "client";
    ExpectAWaylandWindow("no-x-server.txt", false);
}

TEST_F(Restart, InstalledForTheUserItStartsFromTheMenuAndByItsCommandAndKeepsItsSettings) {
    const fs::path installer = fs::path(COMTERM_SOURCE_DIR) / "tools/install-for-user.sh";
    const fs::path validator = "/usr/bin/desktop-file-validate";
    const fs::path home = run / "home";
    EXPECT_EQ(RunCommand(validator,
                         {fs::path(COMTERM_SOURCE_DIR) / "src/app/posix/comterm.desktop"},
                         run / "tree-entry.txt"),
              0);
    EXPECT_EQ(ReadFileBytes(run / "tree-entry.txt"), "") << "the menu entry of the tree is valid";

    // Not into a folder the user cannot write, where no setting could ever be saved.
    EXPECT_NE(
        RunCommand(installer, {"--built", COMTERM_BUILD_DIR, "/proc/comterm"}, run / "refused.txt"),
        0);
    EXPECT_NE(ReadFileBytes(run / "refused.txt").find("cannot write /proc/comterm"),
              std::string::npos)
        << ReadFileBytes(run / "refused.txt");
    EXPECT_FALSE(fs::exists(home / ".local")) << "nothing installed";

    ASSERT_EQ(RunCommand(installer, {"--built", COMTERM_BUILD_DIR}, run / "install.txt"), 0)
        << ReadFileBytes(run / "install.txt");
    const fs::path folder = home / ".local/share/comterm";
    const fs::path entry = home / ".local/share/applications/comterm.desktop";
    const fs::path command = home / ".local/bin/comterm";
    EXPECT_EQ(ListNames(folder), (std::vector<std::string>{".comterm-install", "comterm"}));
    EXPECT_EQ(RunCommand(validator, {entry}, run / "entry.txt"), 0)
        << ReadFileBytes(run / "entry.txt");
    EXPECT_EQ(ReadFileBytes(run / "entry.txt"), "");
    EXPECT_EQ(ExecOf(entry), folder / "comterm");
    EXPECT_NE(ReadFileBytes(entry).find("\nIcon=comterm\n"), std::string::npos);
    const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    for (const int size : sizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(PngSize(home / ".local/share/icons/hicolor" / name / "apps/comterm.png"),
                  std::pair(size, size))
            << name;
    }
    EXPECT_EQ(fs::read_symlink(command), folder / "comterm");

    // Started from the menu, as its entry says; the program finds its own folder.
    Instance fromMenu;
    StartInstance(ExecOf(entry), std::nullopt, run / "output.txt", fromMenu);
    ASSERT_FALSE(HasFatalFailure());
    input->Click(x->Geometry(fromMenu.window)->x + At::OnTop.x,
                 x->Geometry(fromMenu.window)->y + At::OnTop.y);
    ASSERT_TRUE(x->Ping(fromMenu.window, 20s));
    EXPECT_EQ(CloseInstance(fromMenu, run / "output.txt"), 0);
    StoredSettings saved;
    saved.WinState = 0;
    EXPECT_EQ(ReadFileBytes(folder / "Setting.ini"), FileText(saved));

    // Started by its command: the same folder, the same settings.
    Instance byCommand;
    StartInstance(command, std::nullopt, run / "output.txt", byCommand);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(OnTop(x->NetWmState(byCommand.window)))
        << "the setting saved from the menu's start";
    EXPECT_EQ(CloseInstance(byCommand, run / "output.txt"), 0);
    EXPECT_EQ(ReadFileBytes(folder / "Setting.ini"), FileText(saved));

    // A folder that holds no install, or two folders, take nothing away from this one.
    const fs::path elsewhere = run / "not installed here";
    fs::create_directory(elsewhere);
    EXPECT_EQ(RunCommand(installer, {"--uninstall", elsewhere}, run / "wrong.txt"), 1);
    EXPECT_NE(ReadFileBytes(run / "wrong.txt").find("not installed in " + elsewhere.string()),
              std::string::npos)
        << ReadFileBytes(run / "wrong.txt");
    EXPECT_EQ(RunCommand(installer, {"--uninstall", folder, elsewhere}, run / "two.txt"), 2);
    EXPECT_EQ(
        RunCommand(installer, {"--built", COMTERM_BUILD_DIR, elsewhere, folder}, run / "two.txt"),
        2);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_EQ(ExecOf(entry), folder / "comterm");
    EXPECT_EQ(fs::read_symlink(command), folder / "comterm");
    EXPECT_TRUE(fs::exists(home / ".local/share/icons/hicolor/48x48/apps/comterm.png"));

    // Removed: what the install put in place goes; the settings and a log stay.
    const std::string log = "12_00_00__01_02_2026_Tavik.log";
    WriteFileBytes(folder / log, "received");
    ASSERT_EQ(RunCommand(installer, {"--uninstall"}, run / "uninstall.txt"), 0)
        << ReadFileBytes(run / "uninstall.txt");
    EXPECT_EQ(ListNames(folder), (std::vector<std::string>{log, "Setting.ini"}));
    EXPECT_EQ(ReadFileBytes(folder / "Setting.ini"), FileText(saved));
    EXPECT_FALSE(fs::exists(fs::symlink_status(command)));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(fs::exists(home / ".local/share/icons/hicolor/48x48/apps/comterm.png"));

    // Installed into a folder with a space: the command printed to remove it works as pasted.
    ASSERT_EQ(RunCommand(installer, {"--built", COMTERM_BUILD_DIR, elsewhere}, run / "again.txt"),
              0);
    const std::string printed = ReadFileBytes(run / "again.txt");
    const std::size_t hint = printed.find("To remove it: ");
    ASSERT_NE(hint, std::string::npos) << printed;
    const std::string again = printed.substr(hint + 14, printed.find('\n', hint) - hint - 14);
    EXPECT_EQ(RunCommand("/bin/bash", {"-c", again}, run / "removed.txt"), 0) << again;
    EXPECT_FALSE(fs::exists(elsewhere)) << "the emptied folder goes too: " << again;
    EXPECT_FALSE(fs::exists(entry));
}
