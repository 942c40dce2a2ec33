// Received bytes shown in ReceiveView in the chosen format, one tick at a time, and logged.

#include <QTest>
#include <unistd.h>

#include "LinkFixture.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "support/ScratchDirectory.h"
#include "ui/qt/QtText.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string HexOf(const std::string& bytes) {
    const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += {digits[byte >> 4], digits[byte & 15], ' '};
    }
    return hex;
}

std::string Pattern(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes.push_back(static_cast<char>(i * 7 + i / 251));
    return bytes;
}

class ReceivePumpTest : public ConnectedLinkTest {
  protected:
    void chooseMode(ControlId option) {
        clickOn(option);
        ASSERT_TRUE(IsChecked(option));
    }

    void logOn() {
        SetChecked(LogCheck, true);
        terminal.LogFlag = 1;
    }

    // What the view gains from one tick after the peer sends the bytes.
    std::string shownFor(const std::string& bytes) {
        const std::string before = GetText(ReceiveView);
        sendFromPeer(*peer, bytes);
        tick();
        const std::string after = GetText(ReceiveView);
        EXPECT_EQ(after.substr(0, before.size()), before) << "text only ever added at the end";
        return after.size() < before.size() ? "<shrank>" : after.substr(before.size());
    }

    std::string logText() const {
        const std::vector<fs::path> logs = logFiles();
        return logs.empty() ? "<no log>" : ReadBytes(logs.front());
    }
};

TEST_F(ReceivePumpTest, EachModeShowsBytesInItsOwnFormat) {
    chooseMode(HexOption);
    EXPECT_EQ(terminal.InputMode, Hex);
    EXPECT_EQ(shownFor(std::string("\x00\x0A\xFF", 3)), "00 0A FF ");
    EXPECT_EQ(shownFor("\r\n"), "0D 0A ");

    chooseMode(BinOption);
    EXPECT_EQ(terminal.InputMode, Bin);
    EXPECT_EQ(shownFor("\x05\x80"), "00000101 10000000 ");
    EXPECT_EQ(shownFor(std::string("\x00\x0A", 2)), "00000000 00001010 ");

    chooseMode(CharOption);
    EXPECT_EQ(terminal.InputMode, Char);
    EXPECT_EQ(shownFor(std::string("\x41\x00\x42", 3)), "AB");
    EXPECT_EQ(shownFor("\xC0"), "\xC0");
    EXPECT_EQ(ToQString(GetText(ReceiveView)).back(), QChar(0x0410)) << "Cyrillic capital A";
    EXPECT_EQ(shownFor("\x01\x11\x13\x7F"), "\x01\x11\x13\x7F") << "control bytes handed on";
}

TEST_F(ReceivePumpTest, OnlyZeroBytesInCharModeTouchNeitherViewNorLog) {
    logOn();
    chooseMode(CharOption);
    EXPECT_EQ(shownFor(std::string(5, '\0')), "");
    EXPECT_TRUE(ListDirectory(dir) == std::vector<std::string>{"ports"}) << "no log started";
    EXPECT_EQ(shownFor(std::string("\0Z\0", 3)), "Z");
    EXPECT_EQ(logText(), "Z");
}

TEST_F(ReceivePumpTest, ModeSwitchAppliesToBytesReadAfterIt) {
    chooseMode(CharOption);
    EXPECT_EQ(shownFor("AB"), "AB");
    chooseMode(HexOption);
    EXPECT_EQ(shownFor("CD"), "43 44 ");
    EXPECT_EQ(GetText(ReceiveView), "AB43 44 ");

    // Bytes that arrived before the switch but are read after it take the new mode.
    sendFromPeer(*peer, "E");
    chooseMode(CharOption);
    tick();
    EXPECT_EQ(GetText(ReceiveView), "AB43 44 E");
}

TEST_F(ReceivePumpTest, ModeOutsideTheThreeConsumesBytesAndShowsNothing) {
    logOn();
    chooseMode(HexOption);
    terminal.InputMode = 5;
    EXPECT_EQ(shownFor("xyz"), "");
    EXPECT_EQ(SerialPort::BytesWaiting(), 0) << "the bytes were taken";
    EXPECT_TRUE(ListDirectory(dir) == std::vector<std::string>{"ports"});

    chooseMode(HexOption);
    EXPECT_EQ(shownFor("1"), "31 ");
    EXPECT_EQ(GetText(ReceiveView), "31 ");
    EXPECT_EQ(logText(), "31 ");
}

TEST_F(ReceivePumpTest, EveryWaitingByteIsShownInOneTick) {
    const std::string bytes = Pattern(2000);
    EXPECT_EQ(shownFor(bytes), HexOf(bytes));
    EXPECT_EQ(shownFor(""), "") << "a tick with nothing waiting adds nothing";
}

// Far more than the system's queue, written without waiting while the event loop runs and no
// tick comes: the port takes it as it comes (within a few milliseconds, printed; the bound is
// loose so that a loaded machine's pauses do not count), and the next tick shows all of it in
// order. Taken only by ticks, the writer would stall at the queue's size.
TEST_F(ReceivePumpTest, BytesArrivingBetweenTicksAreTakenAtOnceAndShownAtTheNextTick) {
    chooseMode(HexOption);
    const std::string bytes = Pattern(256 * 1024);
    std::size_t sent = 0;
    const auto start = std::chrono::steady_clock::now();
    while (sent < bytes.size() && std::chrono::steady_clock::now() - start < 5s) {
        const ssize_t n = write(peer->controller, bytes.data() + sent, bytes.size() - sent);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        QCoreApplication::processEvents();
    }
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(sent, bytes.size()) << "the port stopped taking bytes between ticks";
    std::cout << "256 KiB taken in " << std::chrono::duration<double, std::milli>(took).count()
              << " ms\n";
    // The system hands on the last piece written a moment later.
    const std::string expected = HexOf(bytes);
    for (int ticks = 0; ticks < 50 && GetText(ReceiveView).size() < expected.size(); ++ticks) {
        tick();
        QTest::qWait(2);
    }
    EXPECT_TRUE(GetText(ReceiveView) == expected) << "all of it, in order";
}

TEST_F(ReceivePumpTest, LogHoldsWhatTheViewGotTickByTickAndClearEmptiesOnlyTheView) {
    logOn();
    std::string shown;
    chooseMode(CharOption);
    shown += shownFor("Hello\r\n");
    EXPECT_EQ(logText(), shown);
    shown += shownFor("\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(logText(), shown);
    chooseMode(HexOption);
    shown += shownFor("\r\n");
    EXPECT_EQ(logText(), shown);
    EXPECT_EQ(shown, "Hello\r\n\xCF\xF0\xE8\xE2\xE5\xF2"
                     "0D 0A ");

    // Logging off: the view goes on, the log does not.
    SetChecked(LogCheck, false);
    terminal.LogFlag = 0;
    EXPECT_EQ(shownFor("!"), "21 ");
    EXPECT_EQ(logText(), shown);
    logOn();

    clickOn(ClearButton);
    EXPECT_EQ(GetText(ReceiveView), "");
    EXPECT_EQ(logText(), shown);
    EXPECT_EQ(terminal.InputMode, Hex);
    EXPECT_EQ(shownFor("?"), "3F ");
    EXPECT_EQ(GetText(ReceiveView), "3F ");
    EXPECT_EQ(logText(), shown + "3F ");
}

} // namespace
