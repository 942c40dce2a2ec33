// A successful port open starts a new log file only when both the log and the new-log flags
// are set.

#include <ctime>
#include <QComboBox>
#include <QTest>

#include "LinkFixture.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "support/ScratchDirectory.h"

namespace {

namespace fs = std::filesystem;

class LogRotationTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        peer = &linkPort(5);
        linkMissingPort(6);
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

    // Log names count in seconds; a new second gives a new name.
    static void WaitForTheNextSecond() {
        const std::time_t start = std::time(nullptr);
        while (std::time(nullptr) == start)
            QTest::qSleep(10);
    }

    PtyPeer* peer = nullptr;
};

TEST_F(LogRotationTest, WithBothFlagsEachSuccessfulOpenEndsTheFile) {
    setFlags(true, true);
    connectTo(5);
    receive("A");
    const std::vector<fs::path> first = logFiles();
    ASSERT_EQ(first.size(), 1u);
    // The log keeps its file locked against other writers while it has it open.
    EXPECT_FALSE(DeviceIsFree(first[0]));

    clickOn(ConnectButton);
    EXPECT_FALSE(DeviceIsFree(first[0])) << "closing the port keeps the log";
    clickOn(ConnectButton);
    ASSERT_TRUE(SerialPort::IsOpen());
    EXPECT_TRUE(DeviceIsFree(first[0]));
    EXPECT_EQ(logFiles().size(), 1u) << "no new file before data comes";

    WaitForTheNextSecond();
    receive("B");
    const std::vector<fs::path> both = logFiles();
    ASSERT_EQ(both.size(), 2u);
    const fs::path second = both[0] == first[0] ? both[1] : both[0];
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
    ASSERT_EQ(files.size(), 1u);
    choosePort(6);
    ASSERT_FALSE(SerialPort::IsOpen());
    EXPECT_FALSE(DeviceIsFree(files[0]));
}

TEST_F(LogRotationTest, WithEitherFlagClearTheSameFileGoesOn) {
    setFlags(true, false);
    connectTo(5);
    receive("A");
    const std::vector<fs::path> files = logFiles();
    ASSERT_EQ(files.size(), 1u);

    WaitForTheNextSecond();
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
