// The port layer against the pseudo-terminals pty_peer.py links in as COM5 and COM12: they
// echo every byte but "?", which they answer with their line settings and their name, and "!",
// which takes the port away for half a second.
#include "serial/SerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <windows.h>

#include "serial/PortDescription.h"
#include "support/win32/UnderWine.h"

namespace {

// Everything that arrives within the time, read one byte at a time as the receive pump does.
std::string ReceiveFor(std::size_t wanted, std::chrono::milliseconds timeout) {
    std::string received;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (received.size() < wanted && std::chrono::steady_clock::now() < end) {
        for (int waiting = SerialPort::BytesWaiting(); waiting > 0; --waiting) {
            unsigned char byte = 0;
            if (SerialPort::Read(&byte, 1) != 1)
                return received;
            received.push_back(static_cast<char>(byte));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return received;
}

std::string LineSettings() {
    if (SerialPort::WriteText("?") != 1)
        return "not sent";
    std::string answer;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while ((answer.empty() || answer.back() != '\r') && std::chrono::steady_clock::now() < end)
        answer += ReceiveFor(1, std::chrono::milliseconds(100));
    return answer;
}

class SerialPortTest : public testing::Test {
  protected:
    void TearDown() override { SerialPort::Close(); }
};

TEST_F(SerialPortTest, EmptySlotGivesNothingAndClosesQuietly) {
    EXPECT_FALSE(SerialPort::IsOpen());
    unsigned char byte = 0;
    EXPECT_EQ(SerialPort::BytesWaiting(), 0);
    EXPECT_EQ(SerialPort::Read(&byte, 1), 0);
    EXPECT_EQ(SerialPort::WriteText("x"), 0);
    SerialPort::Close();
    EXPECT_FALSE(SerialPort::IsOpen());
}

TEST_F(SerialPortTest, MissingPortFailsToOpen) {
    EXPECT_FALSE(SerialPort::Open("COM200", 9600));
    EXPECT_FALSE(SerialPort::Open("", 9600));
    EXPECT_FALSE(SerialPort::IsOpen());
}

TEST_F(SerialPortTest, LineIs8N1WithoutFlowControlAtTheRequestedRate) {
    for (const uint32_t rate : {9600u, 115200u, 1200u}) {
        ASSERT_TRUE(SerialPort::Open("COM5", rate));
        EXPECT_EQ(LineSettings(), std::to_string(rate) + " 8 noparity onestop noflow noxon com5\r");
        SerialPort::Close();
    }
}

TEST_F(SerialPortTest, TwoDigitPortOpensThroughTheDevicePrefix) {
    ASSERT_TRUE(SerialPort::Open("COM12", 19200));
    EXPECT_EQ(LineSettings(), "19200 8 noparity onestop noflow noxon com12\r");
}

TEST_F(SerialPortTest, SentLineComesBackWhole) {
    ASSERT_TRUE(SerialPort::Open("COM5", 115200));
    EXPECT_EQ(SerialPort::WriteText("hello\r"), 6);
    EXPECT_EQ(ReceiveFor(6, std::chrono::seconds(2)), "hello\r");
    EXPECT_EQ(SerialPort::BytesWaiting(), 0);
}

TEST_F(SerialPortTest, EveryNonZeroByteValueGoesAndComesUnchanged) {
    ASSERT_TRUE(SerialPort::Open("COM5", 115200));
    std::string all;
    for (int value = 1; value < 256; ++value) {
        if (value != '?' && value != '!')
            all.push_back(static_cast<char>(value));
    }
    EXPECT_EQ(SerialPort::WriteText(all), static_cast<int>(all.size()));
    EXPECT_EQ(ReceiveFor(all.size(), std::chrono::seconds(3)), all);
}

TEST_F(SerialPortTest, TextEndsAtItsFirstZeroByte) {
    ASSERT_TRUE(SerialPort::Open("COM5", 9600));
    EXPECT_EQ(SerialPort::WriteText(std::string("ab\0cd", 5)), 2);
    EXPECT_EQ(ReceiveFor(4, std::chrono::milliseconds(300)), "ab");
}

TEST_F(SerialPortTest, EmptyTextSendsNothing) {
    ASSERT_TRUE(SerialPort::Open("COM5", 9600));
    EXPECT_EQ(SerialPort::WriteText(""), 0);
    EXPECT_EQ(ReceiveFor(1, std::chrono::milliseconds(200)), "");
}

TEST_F(SerialPortTest, ReadWithNothingWaitingIsNotAsked) {
    ASSERT_TRUE(SerialPort::Open("COM5", 9600));
    EXPECT_EQ(SerialPort::BytesWaiting(), 0);
}

TEST_F(SerialPortTest, OpeningAnotherPortReplacesTheFirst) {
    ASSERT_TRUE(SerialPort::Open("COM5", 9600));
    ASSERT_TRUE(SerialPort::Open("COM12", 4800));
    EXPECT_TRUE(SerialPort::IsOpen());
    EXPECT_EQ(LineSettings(), "4800 8 noparity onestop noflow noxon com12\r");
    // The first port is free again.
    SerialPort::Close();
    EXPECT_TRUE(SerialPort::Open("COM5", 9600));
}

TEST_F(SerialPortTest, ClosedPortCanBeOpenedAgain) {
    ASSERT_TRUE(SerialPort::Open("COM5", 9600));
    SerialPort::Close();
    EXPECT_FALSE(SerialPort::IsOpen());
    ASSERT_TRUE(SerialPort::Open("COM5", 57600));
    EXPECT_EQ(LineSettings(), "57600 8 noparity onestop noflow noxon com5\r");
}

TEST_F(SerialPortTest, PortHeldByAnotherProgramIsRefused) {
    if (UnderWine())
        GTEST_SKIP() << "Wine grants a second exclusive open of a COM port";
    const HANDLE other = CreateFileA("\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SerialPort::Open("COM5", 9600));
    EXPECT_FALSE(SerialPort::IsOpen());
    CloseHandle(other);
}

TEST_F(SerialPortTest, RefusedRateFailsAndClosesTheDeviceAgain) {
    if (UnderWine())
        GTEST_SKIP() << "Wine sets a rate the device does not have to 38400 instead of failing";
    EXPECT_FALSE(SerialPort::Open("COM5", 12345));
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_TRUE(SerialPort::Open("COM5", 9600));
}

TEST_F(SerialPortTest, DeviceTakenAwayIsNoticedByTheCountAndOpensAgainOnceBack) {
    ASSERT_TRUE(SerialPort::Open("COM5", 9600));
    EXPECT_EQ(SerialPort::BytesWaiting(), 0);
    EXPECT_FALSE(SerialPort::DeviceGone()) << "nothing to read is not a gone device";
    ASSERT_EQ(SerialPort::WriteText("!"), 1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!SerialPort::DeviceGone() && std::chrono::steady_clock::now() < end) {
        EXPECT_EQ(SerialPort::BytesWaiting(), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(SerialPort::DeviceGone());
    EXPECT_TRUE(SerialPort::IsOpen()) << "closing is the caller's";
    EXPECT_EQ(SerialPort::WriteText("x"), 0);
    SerialPort::Close();
    EXPECT_FALSE(SerialPort::DeviceGone());

    bool back = false;
    for (int attempt = 0; attempt < 100 && !back; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        back = SerialPort::Open("COM5", 9600);
    }
    ASSERT_TRUE(back);
    EXPECT_FALSE(SerialPort::DeviceGone());
    EXPECT_EQ(LineSettings(), "9600 8 noparity onestop noflow noxon com5\r");
}

TEST_F(SerialPortTest, PortWithoutADeviceNameIsNotReady) {
    EXPECT_FALSE(PortDeviceReady("COM200"));
    EXPECT_FALSE(PortDeviceReady(""));
}

} // namespace
