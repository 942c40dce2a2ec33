// Saves that cannot replace Setting.ini. The tests may run as root, which ignores permission
// bits, so the failures come from a directory in the file's place, a file size limit (as on a
// full disk) and a current directory that has been removed.

#include <csignal>
#include <QCheckBox>
#include <QTest>
#include <sys/resource.h>

#include "SettingsFixture.h"
#include "shared/TerminalState.h"
#include "terminal/SettingsStore.h"

namespace {

// Writes beyond the limit fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

} // namespace

TEST_F(SettingsTest, SaveThatRunsOutOfSpaceLeavesTheOldFile) {
    StoredSettings old;
    old.Port = "COM5";
    old.Transparent = 99;
    const std::string oldBytes = FileText(old);
    StartWith(oldBytes);
    ShowAndActivate();
    QTest::mouseClick(control(LogCheck), Qt::LeftButton);
    RunLoopActions();
    ASSERT_EQ(terminal.LogFlag, 1);

    {
        const FileSizeLimit limit(40); // the new text needs about 200 bytes
        SaveSettings();
    }
    EXPECT_EQ(SettingsFileBytes(), oldBytes);
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"})
        << "the unfinished new file is removed";

    // The program goes on, and a later save succeeds.
    QTest::mouseClick(control(NewDateCheck), Qt::LeftButton);
    RunLoopActions();
    EXPECT_EQ(terminal.NewLogPerConnectionFlag, 1);
    StoredSettings saved = old;
    saved.Log = 1;
    saved.nLog = 1;
    EXPECT_EQ(Exit(), FileText(saved));
}

TEST_F(SettingsTest, SaveOntoADirectoryLeavesItAndGoesOn) {
    std::filesystem::create_directory("Setting.ini");
    WriteBytes("Setting.ini/keep", "kept");
    Start();
    ExpectShown(StoredSettings{}); // nothing readable: the defaults

    SaveSettings();
    EXPECT_TRUE(std::filesystem::is_directory("Setting.ini"));
    EXPECT_EQ(ReadBytes("Setting.ini/keep"), "kept");
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"});
    EXPECT_EQ(ListDirectory(dir / "Setting.ini"), std::vector<std::string>{"keep"});

    ShowAndActivate();
    QTest::mouseClick(control(OnTopCheck), Qt::LeftButton);
    RunLoopActions();
    EXPECT_FALSE(IsChecked(OnTopCheck));
    SaveSettings();
    DestroyMainWindow();
    EXPECT_EQ(ReadBytes("Setting.ini/keep"), "kept");
}

TEST_F(SettingsTest, SaveInARemovedDirectoryWritesNothingAndGoesOn) {
    const std::filesystem::path gone = dir / "gone";
    std::filesystem::create_directory(gone);
    std::filesystem::current_path(gone);
    Start();
    std::filesystem::remove(gone);

    SaveSettings();
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_TRUE(ListDirectory(dir).empty());

    ShowAndActivate();
    QTest::mouseClick(control(LogCheck), Qt::LeftButton);
    RunLoopActions();
    EXPECT_EQ(terminal.LogFlag, 1);
    SaveSettings();
    DestroyMainWindow();
    EXPECT_TRUE(ListDirectory(dir).empty());
}
