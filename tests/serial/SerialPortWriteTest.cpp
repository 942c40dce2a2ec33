// Writing through the port layer: the time bound and a device that went away.

#include <gtest/gtest.h>

#include "support/PtyPeer.h"
#include "serial/SerialPort.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class SerialPortWriteTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SerialPort::Open(peer.path, 9600)); }
    void TearDown() override { SerialPort::Close(); }
    PtyPeer peer;
};

TEST_F(SerialPortWriteTest, EmptyTextSendsNothing) {
    EXPECT_EQ(SerialPort::WriteText(""), 0);
    EXPECT_EQ(peer.Drain(), "");
}

TEST_F(SerialPortWriteTest, PeerThatNeverReadsGetsWhatFitsWithinTheBound) {
    ASSERT_TRUE(peer.LeaveRoom(3));
    const auto start = Clock::now();
    EXPECT_EQ(SerialPort::WriteText("ABCDEF"), 3);
    const auto took = Clock::now() - start;
    // 100 ms for each of the 6 bytes plus 10 ms: no sooner, and not much later.
    EXPECT_GE(took, 600ms);
    EXPECT_LT(took, 1100ms);
    const std::string arrived = peer.Drain();
    EXPECT_EQ(arrived.substr(arrived.size() - 4), "yABC");
}

TEST_F(SerialPortWriteTest, FullPeerGetsNothingWithinTheBound) {
    ASSERT_TRUE(peer.LeaveRoom(0));
    const auto start = Clock::now();
    EXPECT_EQ(SerialPort::WriteText("ATZ\r"), 0);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 400ms);
    EXPECT_LT(took, 900ms);
    const std::string arrived = peer.Drain();
    ASSERT_FALSE(arrived.empty());
    EXPECT_EQ(arrived.back(), 'y') << "nothing of the text went out";
}

TEST_F(SerialPortWriteTest, VanishedDeviceGivesZeroCountsAndStaysOpen) {
    peer.Send("lost");
    peer.CloseController();
    unsigned char byte = 0;
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_TRUE(SerialPort::IsOpen());
        EXPECT_EQ(SerialPort::BytesWaiting(), 0);
        EXPECT_EQ(SerialPort::Read(&byte, 1), 0);
        const auto start = Clock::now();
        EXPECT_EQ(SerialPort::WriteText("ATZ\r"), 0);
        EXPECT_LT(Clock::now() - start, 200ms) << "a gone device is not waited for";
    }
    SerialPort::Close();
    EXPECT_FALSE(SerialPort::IsOpen());
}

} // namespace
