// The whole life of the program, started from a directory that is not its own. It reads and
// writes Setting.ini beside the test executable, so this stays the only test that does so.

#include <optional>
#include <QTimer>

#include "app/Startup.h"
#include "SettingsFixture.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/TickTimerForTests.h"

namespace {

std::filesystem::path ExecutableDirectory() {
    return std::filesystem::canonical("/proc/self/exe").parent_path();
}

// Puts back whatever Setting.ini the executable's directory held before the test.
class RestoredFile {
  public:
    explicit RestoredFile(std::filesystem::path file) : file_(std::move(file)) {
        if (std::filesystem::exists(file_))
            old_ = ReadBytes(file_);
    }
    ~RestoredFile() {
        if (old_)
            WriteBytes(file_, *old_);
        else
            std::filesystem::remove(file_);
    }
    RestoredFile(const RestoredFile&) = delete;
    RestoredFile& operator=(const RestoredFile&) = delete;

  private:
    std::filesystem::path file_;
    std::optional<std::string> old_;
};

class SettingsStartupTest : public ScratchDirectoryTest {};

} // namespace

TEST_F(SettingsStartupTest, RunsInTheProgramDirectoryAndEndsWithStatusZeroAfterClose) {
    const std::filesystem::path programFile = ExecutableDirectory() / "Setting.ini";
    const RestoredFile restore(programFile);
    StoredSettings beside;
    beside.Port = "COM9";
    beside.Bauds = "4800";
    beside.WinState = 0;
    beside.Transparent = 200;
    beside.x = 150;
    beside.y = 160;
    beside.w = 480;
    beside.h = 360;
    beside.Pos = 360 - 72 - 7 - 133;
    // LF line ends, so that only a save at exit gives the CR LF form.
    WriteBytes(programFile, WithLineEnds(FileText(beside), "\n"));
    StoredSettings elsewhere;
    elsewhere.Bauds = "1200";
    const std::string elsewhereBytes = FileText(elsewhere);
    WriteBytes(dir / "Setting.ini", elsewhereBytes);

    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    bool running = false;
    std::filesystem::path currentWhileRunning;
    std::string portWhileRunning;
    std::string baudWhileRunning;
    bool onTopWhileRunning = true;
    int opacityWhileRunning = 0;
    int tickPeriodWhileRunning = 0;
    QTimer::singleShot(100, [&] {
        tickPeriodWhileRunning = TheTimer() && TheTimer()->isActive() ? TheTimer()->interval() : 0;
        running = TheMainWindow() && TheMainWindow()->isVisible();
        currentWhileRunning = std::filesystem::current_path();
        portWhileRunning = GetText(PortCombo);
        baudWhileRunning = GetText(BaudCombo);
        onTopWhileRunning = IsStayingOnTop(TheMainWindow());
        opacityWhileRunning = qRound(TheMainWindow()->windowOpacity() * 255);
        TheMainWindow()->close();
    });
    const int status = RunComterm();
    const std::filesystem::path currentAfter = std::filesystem::current_path();
    std::filesystem::current_path(started);

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(running) << "the window is shown before the loop runs";
    EXPECT_EQ(currentWhileRunning, ExecutableDirectory());
    EXPECT_EQ(currentAfter, ExecutableDirectory());
    EXPECT_EQ(portWhileRunning, "COM9") << "the file beside the program is read";
    EXPECT_EQ(baudWhileRunning, "4800");
    EXPECT_FALSE(onTopWhileRunning);
    EXPECT_EQ(opacityWhileRunning, 200);
    EXPECT_EQ(tickPeriodWhileRunning, 40) << "the receive pump and auto-connect count 40 ms ticks";
    EXPECT_EQ(TheMainWindow(), nullptr) << "the window is released at the end";

    EXPECT_EQ(ReadBytes(programFile), FileText(beside)) << "saved beside the program at exit";
    EXPECT_EQ(ReadBytes(dir / "Setting.ini"), elsewhereBytes)
        << "the file in the start directory is neither read nor written";
}
