// Every setting the user changes through the window comes back on the next start.

#include <algorithm>
#include <cmath>

#include "E2eFixture.h"
#include "support/PeerLineSettings.h"
#include "WaylandDesktop.h"

class Restart : public ComtermE2e {
  protected:
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

    Launch();
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
