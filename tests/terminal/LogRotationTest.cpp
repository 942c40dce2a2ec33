// A successful port open starts a new log file only when both the log and the new-log flags
// are set.

#include <QComboBox>

#include "LinkFixture.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "storage/ReceiveLog.h"
#include "support/ScratchDirectory.h"

namespace {

namespace fs = std::filesystem;

// The time the log reads: 14:05:09 on 7 December 2026 until a test moves it on.
std::tm now;

class LogRotationTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        peer = &linkPort(5);
        linkMissingPort(6);
        now = std::tm{};
        now.tm_year = 2026 - 1900;
        now.tm_mon = 12 - 1;
        now.tm_mday = 7;
        now.tm_hour = 14;
        now.tm_min = 5;
        now.tm_sec = 9;
        SetLogClock([] { return now; });
    }
    void TearDown() override {
        SetLogClock(nullptr);
        LinkTest::TearDown();
    }

    void setFlags(bool log, bool newLog) {
        SetChecked(LogCheck, log);
        SetChecked(NewDateCheck, newLog);
        terminal.LogFlag = log;
        terminal.NewLogPerConnectionFlag = newLog;
    }

    void receive(const std::string& bytes) {
        sendFromPeer(*peer, bytes);
        tick();
    }

    PtyPeer* peer = nullptr;
};

TEST_F(LogRotationTest, WithBothFlagsEachSuccessfulOpenEndsTheFile) {
    setFlags(true, true);
    connectTo(5);
    receive("A");
    const std::vector<fs::path> first = logFiles();
    ASSERT_EQ(first, std::vector{dir / "14_05_09__12_07_2026_Tavik.log"});
    // The log keeps its file locked against other writers while it has it open.
    EXPECT_FALSE(DeviceIsFree(first[0]));

    clickOn(ConnectButton);
    EXPECT_FALSE(DeviceIsFree(first[0])) << "closing the port keeps the log";
    clickOn(ConnectButton);
    ASSERT_TRUE(SerialPort::IsOpen());
    EXPECT_TRUE(DeviceIsFree(first[0]));
    EXPECT_EQ(logFiles().size(), 1u) << "no new file before data comes";

    now.tm_sec = 10; // log names count in seconds: a new second gives a new name
    receive("B");
    const fs::path second = dir / "14_05_10__12_07_2026_Tavik.log";
    ASSERT_EQ(logFiles(), (std::vector{first[0], second}));
    EXPECT_EQ(ReadBytes(first[0]), "41 ");
    EXPECT_EQ(ReadBytes(second), "42 ");
    EXPECT_FALSE(DeviceIsFree(second));

    // A reopen for another rate is a successful open too.
    baudCombo()->setCurrentIndex(8);
    ASSERT_TRUE(SerialPort::IsOpen());
    EXPECT_TRUE(DeviceIsFree(second));
}

TEST_F(LogRotationTest, FailedOpenKeepsTheFile) {
    setFlags(true, true);
    connectTo(5);
    receive("A");
    const std::vector<fs::path> files = logFiles();
    ASSERT_EQ(files, std::vector{dir / "14_05_09__12_07_2026_Tavik.log"});
    choosePort(6);
    ASSERT_FALSE(SerialPort::IsOpen());
    EXPECT_FALSE(DeviceIsFree(files[0]));
}

TEST_F(LogRotationTest, WithEitherFlagClearTheSameFileGoesOn) {
    setFlags(true, false);
    connectTo(5);
    receive("A");
    const std::vector<fs::path> files = logFiles();
    ASSERT_EQ(files, std::vector{dir / "14_05_09__12_07_2026_Tavik.log"});

    now.tm_sec = 10; // a new log now would have a new name
    clickOn(ConnectButton);
    clickOn(ConnectButton);
    ASSERT_TRUE(SerialPort::IsOpen());
    EXPECT_FALSE(DeviceIsFree(files[0]));
    receive("B");

    // Logging off at the open: the new-log flag alone closes nothing.
    setFlags(false, true);
    clickOn(ConnectButton);
    clickOn(ConnectButton);
    ASSERT_TRUE(SerialPort::IsOpen());
    EXPECT_FALSE(DeviceIsFree(files[0]));
    receive("x");
    setFlags(true, true);
    receive("C");

    EXPECT_EQ(logFiles(), files);
    EXPECT_EQ(ReadBytes(files[0]), "41 42 43 ");
}

} // namespace
