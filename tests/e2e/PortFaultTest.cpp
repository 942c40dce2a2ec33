// The port misbehaving under the program: a device that goes away mid-stream, a device that
// another program holds.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "E2eFixture.h"

class PortFault : public ComtermE2e {};

TEST_F(PortFault, PeerThatVanishesMidStreamLeavesTheProgramIdleAndReconnectable) {
    auto peer = std::make_unique<PtyPeer>();
    StoredSettings settings;
    settings.Log = 1;
    LaunchOnCom5(*peer, settings);
    Connect();

    std::string stream;
    for (int i = 0; stream.size() < 2000; ++i)
        stream += "line " + std::to_string(i) + "\n";
    peer->Send(stream.substr(0, 1000));
    ASSERT_TRUE(WaitForLog(stream.substr(0, 1000)));
    // Both ends of the pty go away with bytes still on their way, like an unplugged adapter.
    peer->Send(stream.substr(1000));
    peer.reset();
    program->UnlinkPort("COM5");

    // Unnoticed, as the port layer does not watch the device; and no busy polling of it.
    Sync();
    const std::chrono::milliseconds cpuBefore = process->CpuTime();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(3s); // the measuring window itself
    const auto wall = std::chrono::steady_clock::now() - wallBefore;
    const std::chrono::milliseconds cpu = process->CpuTime() - cpuBefore;
    EXPECT_LT(cpu * 10, wall) << "busy while the device is gone: " << cpu.count()
                              << " ms of CPU in "
                              << std::chrono::duration_cast<std::chrono::milliseconds>(wall).count()
                              << " ms";
    EXPECT_EQ(Title(), kTitleOpen);
    const std::optional<fs::path> log = SingleLog();
    ASSERT_TRUE(log);
    const std::string logged = ReadFileBytes(*log);
    EXPECT_EQ(logged, stream.substr(0, logged.size())) << "a prefix of what was sent, in order";

    // A send now fails and says so.
    ClickSendEditor();
    TypeLine("into the void");
    const std::optional<XWindowId> box = WaitForDialog();
    ASSERT_TRUE(box) << "no message box for a send to a vanished device";
    DismissDialog(*box);
    Sync();
    EXPECT_EQ(Title(), kTitleOpen);

    // Disconnect, and connect to a new device under the same name.
    ClickAt(At::Connect);
    ASSERT_TRUE(WaitForTitle(kTitleClosed));
    PtyPeer next;
    program->LinkPort("COM5", next.path);
    Connect();
    next.Send("fresh");
    EXPECT_TRUE(PollUntil([&] { return ReadFileBytes(*log) == logged + "fresh"; }, 10s))
        << "the same log file goes on";
    ClickSendEditor();
    TypeLine("again");
    EXPECT_EQ(next.Receive(6, 10s), "again\r");
    EXPECT_EQ(CloseWindow(), 0);
    EXPECT_EQ(program->ReadSettings(), FileText(settings));
}

TEST_F(PortFault, PortHeldByAnotherComtermFailsToOpenAndChangesNothingElse) {
    PtyPeer peer;
    StoredSettings settings;
    settings.Port = "COM5";
    settings.Log = 1;
    program->LinkPort("COM5", peer.path);
    program->WriteSettings(FileText(settings));

    ProgramDirectory otherDir(run / "other", COMTERM_BINARY);
    otherDir.LinkPort("COM5", peer.path);
    StoredSettings otherSettings = settings;
    otherSettings.x = 600; // beside the first window, so clicks land where meant
    otherDir.WriteSettings(FileText(otherSettings));
    Instance other;
    StartInstance(otherDir, std::nullopt, run / "other-output.txt", other);
    ASSERT_FALSE(HasFatalFailure());
    const WindowGeometry otherAt = *x->Geometry(other.window);
    input->Click(otherAt.x + At::Connect.x, otherAt.y + At::Connect.y);
    ASSERT_TRUE(PollUntil([&] { return x->Title(other.window) == kTitleOpen; }, 10s));

    Launch();
    ClickAt(At::Connect);
    ASSERT_TRUE(WaitForTitle(kTitleOpenFailed)) << Title();
    Sync();
    EXPECT_TRUE(Dialogs().empty()) << "a failed open shows no message box";

    // The holder still has the port to itself.
    peer.Send("theirs");
    EXPECT_TRUE(PollUntil(
        [&] {
            const std::vector<fs::path> logs = otherDir.LogFiles();
            return logs.size() == 1 && ReadFileBytes(logs.front()) == "theirs";
        },
        10s));
    EXPECT_EQ(x->Title(other.window), kTitleOpen);
    EXPECT_EQ(CloseInstance(other, run / "other-output.txt"), 0);

    // The button was released: one click connects now that the port is free.
    ClickAt(At::Connect);
    ASSERT_TRUE(WaitForTitle(kTitleOpen)) << Title();
    peer.Send("mine");
    EXPECT_TRUE(WaitForLog("mine"));
    EXPECT_EQ(CloseWindow(), 0);
    EXPECT_EQ(program->ReadSettings(), FileText(settings));
}

TEST_F(PortFault, PortLockedOrMadeExclusiveByAnotherProgramFailsToOpen) {
    PtyPeer peer;
    StoredSettings settings;
    LaunchOnCom5(peer, settings);

    // A terminal program that locks the device, as many do.
    const int holder = open(peer.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    ClickAt(At::Connect);
    EXPECT_TRUE(WaitForTitle(kTitleOpenFailed)) << Title();
    close(holder);
    Connect();
    ClickAt(At::Connect);
    ASSERT_TRUE(WaitForTitle(kTitleClosed));

    // One that puts the line into exclusive mode instead.
    ASSERT_EQ(ioctl(peer.device, TIOCEXCL), 0);
    ClickAt(At::Connect);
    EXPECT_TRUE(WaitForTitle(kTitleOpenFailed)) << Title();
    int exclusive = 0;
    ASSERT_EQ(ioctl(peer.device, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "the holder's exclusive mode is left alone";
    ASSERT_EQ(ioctl(peer.device, TIOCNXCL), 0);
    Connect();
    peer.Send("ok");
    ClickSendEditor();
    TypeLine("ok");
    EXPECT_EQ(peer.Receive(3, 10s), "ok\r");
    Sync();
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(CloseWindow(), 0);
    EXPECT_EQ(program->ReadSettings(), FileText(settings));
    EXPECT_TRUE(program->LogFiles().empty());
}

TEST_F(PortFault, WriteToAPeerThatDoesNotReadEndsWithinItsBound) {
    PtyPeer peer;
    StoredSettings settings;
    LaunchOnCom5(peer, settings);
    Connect();
    ClickSendEditor();

    // Nothing fits: the four bytes of "abc" and CR time out after 4 x 100 + 10 ms, none sent.
    ASSERT_TRUE(peer.LeaveRoom(0));
    input->Type("abc");
    Sync();
    auto entered = std::chrono::steady_clock::now();
    input->Key("Return");
    const std::optional<XWindowId> box = WaitForDialog();
    ASSERT_TRUE(box) << "no message box for a line of which nothing went out";
    auto took = std::chrono::steady_clock::now() - entered;
    EXPECT_GE(took, 400ms);
    EXPECT_LT(took, 5000ms) << "far beyond the bound";
    DismissDialog(*box);
    const std::string filler = peer.Drain();
    EXPECT_EQ(filler.find_first_not_of("xy"), std::string::npos) << "none of abc went out";

    // Three of seven bytes fit: the write gives up after 710 ms; a line cut short counts as
    // not sent.
    ASSERT_TRUE(peer.LeaveRoom(3));
    input->Type("defghi");
    Sync();
    entered = std::chrono::steady_clock::now();
    input->Key("Return");
    const std::optional<XWindowId> shortBox = WaitForDialog();
    ASSERT_TRUE(shortBox) << "no message box for a line cut short";
    took = std::chrono::steady_clock::now() - entered;
    EXPECT_GE(took, 700ms) << "the write waited for the peer";
    EXPECT_LT(took, 5000ms) << "far beyond the bound";
    DismissDialog(*shortBox);
    const std::string arrived = peer.Drain();
    ASSERT_GE(arrived.size(), 3u);
    EXPECT_EQ(arrived.substr(arrived.size() - 3), "def");
    EXPECT_EQ(Title(), kTitleOpen);
    EXPECT_EQ(CloseWindow(), 0);
}
