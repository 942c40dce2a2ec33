// The program beside files and directories that are not what it expects: a program directory
// it may not write, one that disappears, a settings file that is no settings file or one the
// user froze or keeps elsewhere, a log name that is taken by something else.

#include <ctime>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "E2eFixture.h"

class FileFault : public ComtermE2e {
  protected:
    // A start that must come up with the defaults of a first start and close cleanly.
    void RunWithDefaults(std::optional<uid_t> user = std::nullopt) {
        Launch(user);
        ASSERT_FALSE(HasFatalFailure());
        const WindowGeometry at = Geometry();
        EXPECT_EQ(at.x, 100);
        EXPECT_EQ(at.y, 100);
        EXPECT_EQ(at.width, 420);
        EXPECT_EQ(at.height, 304);
        EXPECT_EQ(Title(), kTitleClosed);
        // The window works: a click on Clear and an answer to the window manager.
        ClickAt(At::Clear);
        Sync();
        EXPECT_EQ(CloseWindow(), 0);
    }

    std::vector<std::string> ProgramFiles() { return ListNames(program->path()); }

    // Another user, for the tests that close a file or directory to the program; they give
    // files to that user and start the program as it, which takes root.
    void SetUp() override {
        ComtermE2e::SetUp();
        nobody = Nobody();
    }
    bool CanRunAsAnotherUser() const { return geteuid() == 0 && nobody.has_value(); }
    static constexpr const char* kNeedsAnotherUser =
        "needs root and a user \"nobody\": root ignores permission bits, so the program runs as "
        "that user";

    std::optional<uid_t> nobody;
};

TEST_F(FileFault, ReadOnlyProgramDirectoryWithoutSettingsStartsWithDefaultsAndWritesNothing) {
    if (!CanRunAsAnotherUser())
        GTEST_SKIP() << kNeedsAnotherUser;
    fs::permissions(program->path(), fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    const std::vector<std::string> before = ProgramFiles();
    RunWithDefaults(nobody);
    EXPECT_EQ(ProgramFiles(), before) << "no settings file, no temporary file";
}

TEST_F(FileFault, ReadOnlyProgramDirectoryKeepsTheOldSettingsAndLogsNothing) {
    if (!CanRunAsAnotherUser())
        GTEST_SKIP() << kNeedsAnotherUser;
    PtyPeer peer;
    ASSERT_EQ(chown(peer.path.c_str(), *nobody, *nobody), 0);
    program->LinkPort("COM5", peer.path);
    // Edited by hand: a comment, LF line ends, keys in another order and case.
    const std::string old = "; mine\n[window]\nw = 500\n[Font]\nName=Courier\n";
    const std::string top = "port=COM5\nLog = 1\nInMode=0\n";
    program->WriteSettings(top + old);
    fs::permissions(program->path(), fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    const std::vector<std::string> before = ProgramFiles();

    Launch(nobody);
    EXPECT_EQ(Geometry().width, 500) << "the readable old settings are applied";
    Connect();
    peer.Send("not logged");
    ASSERT_TRUE(WaitConsumed(peer, 10s));
    ClickSendEditor();
    TypeLine("sent");
    EXPECT_EQ(peer.Receive(5, 10s), "sent\r");
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(CloseWindow(), 0);

    EXPECT_EQ(program->ReadSettings(), top + old) << "the old settings file is unchanged";
    EXPECT_EQ(ProgramFiles(), before) << "no log file, no temporary file";
}

TEST_F(FileFault, ProgramDirectoryRemovedWhileRunning) {
    PtyPeer peer;
    StoredSettings settings;
    settings.Log = 1;
    LaunchOnCom5(peer, settings);
    Connect();

    fs::remove_all(program->path());
    peer.Send("nowhere to log");
    ASSERT_TRUE(WaitConsumed(peer, 10s));
    ClickSendEditor();
    TypeLine("still");
    EXPECT_EQ(peer.Receive(6, 10s), "still\r");
    EXPECT_EQ(CloseWindow(), 0);
    EXPECT_FALSE(fs::exists(program->path())) << "nothing was made anew";
}

TEST_F(FileFault, SettingsFileThatIsADirectory) {
    fs::create_directory(program->settings());
    WriteFileBytes(program->settings() / "inside", "kept");
    RunWithDefaults();
    ASSERT_TRUE(fs::is_directory(program->settings()));
    EXPECT_EQ(ListNames(program->settings()), std::vector<std::string>{"inside"});
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"Setting.ini", "comterm", "ports"}))
        << "no temporary file left behind";
}

TEST_F(FileFault, EmptySettingsFile) {
    program->WriteSettings("");
    RunWithDefaults();
    EXPECT_EQ(program->ReadSettings(), FileText(StoredSettings{}));
}

TEST_F(FileFault, TenMegabytesOfRandomBytesAsSettings) {
    std::mt19937 random(20240611);
    std::string noise(10 << 20, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    program->WriteSettings(noise);
    RunWithDefaults();
    EXPECT_EQ(program->ReadSettings(), FileText(StoredSettings{}));
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"Setting.ini", "comterm", "ports"}));
}

TEST_F(FileFault, SettingsFileTheProgramMayNotRead) {
    if (!CanRunAsAnotherUser())
        GTEST_SKIP() << kNeedsAnotherUser;
    // The directory is the program user's own, so only the file's mode stops the save.
    ASSERT_EQ(chown(program->path().c_str(), *nobody, *nobody), 0);
    StoredSettings stored;
    stored.w = 600;
    program->WriteSettings(FileText(stored));
    fs::permissions(program->settings(), fs::perms::none);
    RunWithDefaults(nobody);
    EXPECT_EQ(fs::status(program->settings()).permissions(), fs::perms::none);
    fs::permissions(program->settings(), fs::perms::owner_read);
    EXPECT_EQ(program->ReadSettings(), FileText(stored)) << "a file it may not write is kept";
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"Setting.ini", "comterm", "ports"}));
}

TEST_F(FileFault, SettingsFileThatIsALinkToItself) {
    fs::create_symlink("Setting.ini", program->settings());
    RunWithDefaults();
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(program->settings())));
    EXPECT_EQ(fs::read_symlink(program->settings()), "Setting.ini");
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"Setting.ini", "comterm", "ports"}));
}

TEST_F(FileFault, SettingsFileThatIsAPipe) {
    ASSERT_EQ(mkfifo(program->settings().c_str(), 0644), 0);
    RunWithDefaults(); // a start that read it would wait for a writer for ever
    EXPECT_TRUE(fs::is_fifo(program->settings()));
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"Setting.ini", "comterm", "ports"}));
}

TEST_F(FileFault, ReadOnlySettingsAreKeptAndLinkedSettingsAreSavedThroughTheLinkInPlaceIfNeedBe) {
    // Made read-only to freeze it: even root, which may write anything, leaves it.
    StoredSettings frozen;
    frozen.w = 500;
    program->WriteSettings(FileText(frozen));
    fs::permissions(program->settings(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Launch();
    EXPECT_EQ(Geometry().width, 500);
    ClickAt(At::OnTop);
    Sync();
    EXPECT_EQ(CloseWindow(), 0);
    EXPECT_EQ(program->ReadSettings(), FileText(frozen));
    EXPECT_EQ(fs::status(program->settings()).permissions(),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // Kept with the user's other settings, by a relative link.
    fs::remove(program->settings());
    const fs::path config = run / "config";
    fs::create_directory(config);
    StoredSettings linked;
    linked.w = 520;
    WriteFileBytes(config / "comterm.ini", FileText(linked));
    fs::create_symlink("../config/comterm.ini", program->settings());
    Launch();
    EXPECT_EQ(Geometry().width, 520);
    ClickAt(At::OnTop);
    Sync();
    EXPECT_EQ(CloseWindow(), 0);
    EXPECT_EQ(fs::read_symlink(program->settings()), "../config/comterm.ini") << "still the link";
    linked.WinState = 0;
    EXPECT_EQ(ReadFileBytes(config / "comterm.ini"), FileText(linked));
    EXPECT_EQ(ListNames(config), std::vector<std::string>{"comterm.ini"}) << "no temporary file";
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"Setting.ini", "comterm", "ports"}));

    // A shared folder the user may not write, holding a file that is the user's: no new file
    // can be made beside it, so the file itself is written over.
    if (!CanRunAsAnotherUser())
        GTEST_SKIP() << kNeedsAnotherUser;
    ASSERT_EQ(chown((config / "comterm.ini").c_str(), *nobody, *nobody), 0);
    Launch(nobody);
    ClickAt(At::OnTop);
    Sync();
    EXPECT_EQ(CloseWindow(), 0);
    linked.WinState = 1;
    EXPECT_EQ(ReadFileBytes(config / "comterm.ini"), FileText(linked)) << "written in place";
    EXPECT_EQ(ListNames(config), std::vector<std::string>{"comterm.ini"});
}

TEST_F(FileFault, LogNameTakenByAnythingButAFileIsRetriedWithTheNextChunk) {
    PtyPeer peer;
    StoredSettings settings;
    settings.Log = 1;
    LaunchOnCom5(peer, settings);
    Connect();

    // Every name of the next three seconds is taken: by a directory, a pipe (which would
    // block the tick once full) and a link to a device (which would swallow the log).
    const std::time_t blockedFrom = std::time(nullptr);
    const std::time_t blockedTo = blockedFrom + 2;
    std::vector<fs::path> taken;
    for (std::time_t t = blockedFrom; t <= blockedTo; ++t)
        taken.push_back(program->path() / LogNameAt(t));
    fs::create_directory(taken[0]);
    ASSERT_EQ(mkfifo(taken[1].c_str(), 0644), 0);
    fs::create_symlink("/dev/null", taken[2]);

    struct Chunk {
        std::string text;
        std::time_t sent;
        std::time_t consumed;
    };
    std::vector<Chunk> chunks;
    std::chrono::milliseconds slowest{0};
    for (int i = 0; std::time(nullptr) <= blockedTo + 1 || program->LogFiles().empty(); ++i) {
        ASSERT_LT(i, 200) << "no log file was ever made";
        Chunk chunk{"<" + std::to_string(i) + ">", std::time(nullptr), 0};
        peer.Send(chunk.text);
        ASSERT_TRUE(WaitConsumed(peer, 10s));
        chunk.consumed = std::time(nullptr);
        chunks.push_back(chunk);
        const std::optional<std::chrono::milliseconds> answer = x->Ping(window, 10s);
        ASSERT_TRUE(answer) << "the window stopped answering";
        slowest = std::max(slowest, *answer);
    }
    EXPECT_LT(slowest, 2000ms) << "slowest answer while names were taken";

    const std::optional<fs::path> log = SingleLog();
    ASSERT_TRUE(log);
    const std::string logged = ReadFileBytes(*log);
    // Logged: a run of chunks up to the last. Chunks handled wholly within the blocked seconds
    // are lost; those sent after them are all there.
    std::size_t first = chunks.size();
    std::string tail;
    while (first > 0 && tail.size() < logged.size())
        tail = chunks[--first].text + tail;
    EXPECT_EQ(logged, tail);
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (chunks[i].consumed <= blockedTo) {
            EXPECT_LT(i, first) << chunks[i].text << " was handled while every name was taken";
        }
        if (chunks[i].sent > blockedTo) {
            EXPECT_GE(i, first) << chunks[i].text << " came after the taken names";
        }
    }
    EXPECT_TRUE(fs::is_directory(taken[0]) && fs::is_empty(taken[0]));
    EXPECT_TRUE(fs::is_fifo(taken[1]));
    EXPECT_EQ(fs::read_symlink(taken[2]), "/dev/null");
    EXPECT_EQ(CloseWindow(), 0);
}
