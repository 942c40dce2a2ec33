// The port misbehaving under the program: a device that goes away mid-stream or resets, a
// device that another program holds.

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "E2eFixture.h"

class PortFault : public ComtermE2e {};

TEST_F(PortFault, PeerThatVanishesMidStreamClosesThePortAndLeavesTheProgramIdleAndReconnectable) {
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

    // Closed as a release closes it; and no busy polling of the device that is not there.
    EXPECT_TRUE(WaitForTitle(kTitleClosed)) << Title();
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
    EXPECT_EQ(Title(), kTitleClosed);
    EXPECT_TRUE(Dialogs().empty()) << "no message box for a device that went away";
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
    EXPECT_EQ(Title(), kTitleClosed);

    // The button was released: one click connects to a new device under the same name.
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

TEST_F(PortFault, DeviceThatResetsTwiceIsTakenUpAgainWithEveryLineLoggedOnce) {
    StoredSettings settings;
    settings.Port = "COM5";
    settings.Log = 1;
    settings.AutoConnect = 1;
    program->WriteSettings(FileText(settings));
    Launch();
    // Started once the window is up, so that its first reset comes after the connection.
    LaunchOptions demoOptions;
    demoOptions.output = run / "demo-device.txt"; // where it says when it goes and is back
    demoOptions.arguments = {"--reset", "2", (program->path() / "ports" / "COM5").string()};
    RunningProgram demo(COMTERM_DEMO_DEVICE, demoOptions);
    ASSERT_TRUE(PollUntil([&] { return fs::is_symlink(program->path() / "ports" / "COM5"); }, 10s));
    Connect();

    // Each reset closes the port and each return opens it again.
    std::vector<std::string> titles{Title()};
    ASSERT_TRUE(PollUntil(
        [&] {
            if (const std::string now = Title(); now != titles.back())
                titles.push_back(now);
            return titles.size() >= 5;
        },
        20s, 5ms));
    EXPECT_EQ(titles, (std::vector<std::string>{kTitleOpen, kTitleClosed, kTitleOpen, kTitleClosed,
                                                kTitleOpen}));

    // Numbered lines from the first: each one the device wrote, in order, none twice.
    const std::optional<fs::path> log = SingleLog();
    ASSERT_TRUE(log);
    const std::string greeting = ": " + Cp1251("Привет от демо-устройства") + "\r\n";
    std::string expected;
    for (int line = 1; line <= 3; ++line)
        expected += std::to_string(line) + greeting;
    std::string logged;
    EXPECT_TRUE(PollUntil(
        [&] {
            logged = ReadFileBytes(*log);
            return logged.size() > expected.size() && logged.ends_with("\n");
        },
        10s));
    for (int line = 4; expected.size() < logged.size(); ++line)
        expected += std::to_string(line) + greeting;
    EXPECT_EQ(logged, expected);
    EXPECT_EQ(CloseWindow(), 0);
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
    StartInstance(otherDir.binary(), std::nullopt, run / "other-output.txt", other);
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

namespace {

// One line of text in an image: the rows it covers, how far right its ink reaches, and how
// much ink its first few columns hold (wider for bold strokes).
struct TextLine {
    int top = 0;
    int bottom = 0;
    int right = 0;
    int leadingInk = 0;
};

int Darkness(unsigned long pixel) {
    const int gray = static_cast<int>(
        ((pixel >> 16) * 11 + ((pixel >> 8) & 0xFF) * 16 + (pixel & 0xFF) * 5) / 32);
    return 255 - gray;
}

// The lines of dark text, top to bottom, as rows with and without ink tell them apart.
std::vector<TextLine> TextLines(const RgbImage& image) {
    constexpr int kInk = 128;
    constexpr int kLeading = 22; // about the width of "COM", which every entry begins with
    std::vector<TextLine> lines;
    bool inLine = false;
    for (int y = 0; y < image.height; ++y) {
        int right = -1;
        int leading = 0;
        for (int x = 2; x < image.width - 2; ++x) {
            const int dark = Darkness(image.at(x, y));
            if (dark >= kInk)
                right = x;
            if (x < kLeading)
                leading += dark;
        }
        if (right < 0) {
            inLine = false;
            continue;
        }
        if (!inLine)
            lines.push_back({y, y, 0, 0});
        inLine = true;
        TextLine& line = lines.back();
        line.bottom = y;
        line.right = std::max(line.right, right);
        line.leadingInk += leading;
    }
    return lines;
}

} // namespace

TEST_F(PortFault, PortTheUserMayNotOpenIsMarkedInTheList) {
    const std::optional<uid_t> nobody = Nobody();
    if (geteuid() != 0 || !nobody)
        GTEST_SKIP() << "needs root and a user \"nobody\": root may open any device";
    PtyPeer mine;
    PtyPeer theirs;
    for (const PtyPeer* peer : {&mine, &theirs})
        ASSERT_EQ(chown(peer->path.c_str(), *nobody, *nobody), 0);
    program->LinkPort("COM5", mine.path);
    program->LinkPort("COM6", theirs.path);
    program->LinkPort("COM7", "/dev/pts-gone");
    Launch(nobody);

    // The entries as the open list shows them; COM5 to COM7 are the lines 4 to 6.
    auto list = [&]() {
        ClickAt(At::Port);
        Sync();
        const std::vector<XWindowId> popups = WaitForLists();
        EXPECT_FALSE(popups.empty()) << "the list did not open";
        // A list just mapped may not be painted yet: read it until all its lines are there.
        std::vector<TextLine> lines;
        if (!popups.empty()) {
            const WindowGeometry at = *x->Geometry(popups.front());
            PollUntil(
                [&] {
                    lines = TextLines(x->Capture(at.x, at.y, at.width, at.height));
                    return lines.size() >= 7;
                },
                5s);
        }
        input->Key("Escape");
        Sync();
        EXPECT_TRUE(WaitForListsClosed());
        return lines;
    };
    const std::vector<TextLine> before = list();
    ASSERT_GE(before.size(), 7u);
    // "COM5  /dev/pts/N — есть" and "COM6  /dev/pts/M — есть"
    EXPECT_LE(std::abs(before[5].right - before[4].right), 3) << "two devices it may open";
    EXPECT_GT(before[4].leadingInk * 10, before[6].leadingInk * 12)
        << "a device that is there in bold, one that is not in regular weight";

    // The device is taken back: this user may no longer open it.
    ASSERT_EQ(chown(theirs.path.c_str(), 0, 0), 0);
    const std::vector<TextLine> after = list();
    ASSERT_GE(after.size(), 7u);
    EXPECT_EQ(after[4].right, before[4].right);
    // "COM6  /dev/pts/M — есть, нет доступа"
    EXPECT_GT(after[5].right, before[5].right + 40) << "the entry says the user has no access";
    EXPECT_EQ(after[5].leadingInk, before[5].leadingInk) << "still there, still in bold";

    // Choosing it fails as any open does; the one the user may open opens.
    ChoosePort("COM6");
    ClickAt(At::Connect);
    EXPECT_TRUE(WaitForTitle(kTitleOpenFailed)) << Title();
    ChoosePort("COM5");
    Connect();
    EXPECT_EQ(CloseWindow(), 0);
}
