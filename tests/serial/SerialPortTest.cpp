// The port layer against pseudo-terminals: exclusive use, line settings, byte transparency,
// the fetch-ahead of received bytes and a device that goes away.

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include "serial/SerialPort.h"
#include "support/PeerLineSettings.h"
#include "support/PtyPeer.h"

namespace {

using namespace std::chrono_literals;

std::string AllByteValues() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

// What the receive pump does each tick: one count, then that many one-byte reads.
std::string ReceiveTicks(std::size_t expected) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
        const int waiting = SerialPort::BytesWaiting();
        for (int i = 0; i < waiting; ++i) {
            unsigned char byte = 0;
            if (SerialPort::Read(&byte, 1) == 1)
                got.push_back(static_cast<char>(byte));
        }
        std::this_thread::sleep_for(5ms);
    }
    return got;
}

int WaitForWaiting(int count) {
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    int waiting = SerialPort::BytesWaiting();
    while (waiting < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
        waiting = SerialPort::BytesWaiting();
    }
    return waiting;
}

bool ExclusiveMode(int fd) {
    int exclusive = 0;
    ioctl(fd, TIOCGEXCL, &exclusive);
    return exclusive != 0;
}

class SerialPortTest : public ::testing::Test {
  protected:
    void TearDown() override { SerialPort::Close(); }
    PtyPeer peer;
};

TEST_F(SerialPortTest, EmptySlotGivesNothingAndClosesQuietly) {
    unsigned char byte = 0;
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_EQ(SerialPort::BytesWaiting(), 0);
    EXPECT_EQ(SerialPort::Read(&byte, 1), 0);
    EXPECT_EQ(SerialPort::WriteText("ATZ\r"), 0);
    SerialPort::Close();
    EXPECT_FALSE(SerialPort::IsOpen());
}

TEST_F(SerialPortTest, MissingOrUnnamedDeviceFailsToOpen) {
    EXPECT_FALSE(SerialPort::Open("/dev/no-such-serial-device", 9600));
    EXPECT_FALSE(SerialPort::Open("", 9600));
    EXPECT_FALSE(SerialPort::Open("COM256", 9600));
    EXPECT_FALSE(SerialPort::IsOpen());
}

TEST_F(SerialPortTest, SecondOpenOfSamePortFailsAndKeepsTheFirst) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    EXPECT_FALSE(SerialPort::Open(peer.path, 19200));
    EXPECT_TRUE(SerialPort::IsOpen());
    EXPECT_EQ(ReadPeerLineSettings(peer.controller).outputSpeed, 9600u);
    EXPECT_EQ(SerialPort::WriteText("still here"), 10);
    EXPECT_EQ(peer.Receive(10, 1s), "still here");
}

TEST_F(SerialPortTest, OpenPortIsHeldAgainstOtherProgramsUntilClosed) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    EXPECT_FALSE(DeviceIsFree(peer.path));
    EXPECT_TRUE(ExclusiveMode(peer.device));
    SerialPort::Close();
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_TRUE(DeviceIsFree(peer.path));
    EXPECT_FALSE(ExclusiveMode(peer.device));
}

TEST_F(SerialPortTest, PortLockedByAnotherProgramIsRefused) {
    const int other = open(peer.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(SerialPort::Open(peer.path, 9600));
    EXPECT_FALSE(SerialPort::IsOpen());
    close(other);
    EXPECT_TRUE(SerialPort::Open(peer.path, 9600));
}

TEST_F(SerialPortTest, PortInAnotherProgramsExclusiveUseIsRefusedAndLeftSo) {
    ASSERT_EQ(ioctl(peer.device, TIOCEXCL), 0);
    EXPECT_FALSE(SerialPort::Open(peer.path, 9600));
    EXPECT_FALSE(SerialPort::IsOpen());
    EXPECT_TRUE(ExclusiveMode(peer.device));
    ioctl(peer.device, TIOCNXCL);
}

TEST_F(SerialPortTest, FailedOpenKeepsThePortAlreadyOpen) {
    PtyPeer other;
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    EXPECT_FALSE(SerialPort::Open(other.path, 0));
    EXPECT_FALSE(SerialPort::Open("/dev/no-such-serial-device", 9600));
    EXPECT_TRUE(SerialPort::IsOpen());
    EXPECT_TRUE(DeviceIsFree(other.path));
    EXPECT_EQ(SerialPort::WriteText("A"), 1);
    EXPECT_EQ(peer.Receive(1, 1s), "A");
}

TEST_F(SerialPortTest, OpeningAnotherPortReplacesAndReleasesTheFirst) {
    PtyPeer other;
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    ASSERT_TRUE(SerialPort::Open(other.path, 9600));
    EXPECT_TRUE(DeviceIsFree(peer.path));
    EXPECT_FALSE(DeviceIsFree(other.path));
    EXPECT_EQ(SerialPort::WriteText("B"), 1);
    EXPECT_EQ(other.Receive(1, 1s), "B");
    EXPECT_EQ(peer.Drain(), "");
}

class SerialPortRateTest : public SerialPortTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(SerialPortRateTest, LineIsRaw8N1AtTheRequestedRate) {
    const PeerLineSettings before = ReadPeerLineSettings(peer.controller);
    ASSERT_TRUE(before.canonical && before.echo && before.outputProcessing);

    ASSERT_TRUE(SerialPort::Open(peer.path, GetParam()));
    const PeerLineSettings seen = ReadPeerLineSettings(peer.controller);
    EXPECT_EQ(seen.outputSpeed, GetParam());
    EXPECT_EQ(seen.inputSpeed, GetParam());
    EXPECT_TRUE(seen.anySpeed);
    EXPECT_TRUE(seen.eightDataBits);
    EXPECT_FALSE(seen.parity);
    EXPECT_FALSE(seen.twoStopBits);
    EXPECT_FALSE(seen.ctsFlowControl);
    EXPECT_TRUE(seen.localLine);
    EXPECT_TRUE(seen.receiverOn);
    EXPECT_FALSE(seen.canonical);
    EXPECT_FALSE(seen.echo);
    EXPECT_FALSE(seen.signalKeys);
    EXPECT_FALSE(seen.extendedInput);
    EXPECT_FALSE(seen.outputProcessing);
    EXPECT_FALSE(seen.softwareFlowControl);
    EXPECT_FALSE(seen.lineEndTranslation);
    EXPECT_FALSE(seen.stripEighthBit);
}

INSTANTIATE_TEST_SUITE_P(ListedAndTypedRates, SerialPortRateTest,
                         ::testing::Values(1200u, 9600u, 76800u, 115200u, 1048576u, 12345u));

TEST_F(SerialPortTest, ZeroRateIsRefusedAndLeavesTheDeviceUntouched) {
    const PeerLineSettings before = ReadPeerLineSettings(peer.controller);
    EXPECT_FALSE(SerialPort::Open(peer.path, 0));
    EXPECT_FALSE(SerialPort::IsOpen());
    const PeerLineSettings after = ReadPeerLineSettings(peer.controller);
    EXPECT_EQ(after.outputSpeed, before.outputSpeed);
    EXPECT_TRUE(after.canonical);
    EXPECT_TRUE(DeviceIsFree(peer.path));
    EXPECT_FALSE(ExclusiveMode(peer.device));
}

TEST_F(SerialPortTest, HangUpOnCloseStaysAsTheDeviceHadIt) {
    for (const bool hangUp : {true, false}) {
        SetPeerHangUpOnClose(peer.controller, hangUp);
        ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
        EXPECT_EQ(ReadPeerLineSettings(peer.controller).hangUpOnClose, hangUp);
        SerialPort::Close();
    }
}

TEST_F(SerialPortTest, DeviceWithoutModemLinesOpens) {
    int lines = 0;
    ASSERT_NE(ioctl(peer.device, TIOCMGET, &lines), 0);
    ASSERT_TRUE(errno == ENOTTY || errno == EINVAL);
    EXPECT_TRUE(SerialPort::Open(peer.path, 9600));
}

TEST_F(SerialPortTest, EveryByteValueArrivesUnchanged) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 115200));
    const std::string bytes = AllByteValues() + "\r\n\x11\x13\r\x03\x04\x1A";
    peer.Send(bytes);
    EXPECT_EQ(ReceiveTicks(bytes.size()), bytes);
    EXPECT_EQ(peer.Drain(), "") << "nothing is echoed back";
}

TEST_F(SerialPortTest, EveryByteValueIsSentUnchanged) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 115200));
    const std::string bytes = AllByteValues() + "\n\r\x13\x11\t";
    EXPECT_EQ(SerialPort::WriteText(bytes), static_cast<int>(bytes.size()));
    EXPECT_EQ(peer.Receive(bytes.size() + 1, 300ms), bytes);
}

TEST_F(SerialPortTest, ReceivedStopByteDoesNotHoldBackSending) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    peer.Send("\x13");
    ASSERT_EQ(ReceiveTicks(1), "\x13");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SerialPort::WriteText("ATI\r"), 4);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(peer.Receive(4, 1s), "ATI\r");
}

TEST_F(SerialPortTest, CountIncludesBytesAlreadyFetched) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    peer.Send("0123456789");
    ASSERT_EQ(WaitForWaiting(10), 10);
    unsigned char three[3] = {};
    for (unsigned char& byte : three)
        ASSERT_EQ(SerialPort::Read(&byte, 1), 1);
    EXPECT_EQ(std::string(three, three + 3), "012");
    peer.Send("abcde");
    EXPECT_EQ(WaitForWaiting(12), 12);
    EXPECT_EQ(ReceiveTicks(12), "3456789abcde");
    EXPECT_EQ(SerialPort::BytesWaiting(), 0);
}

// How a device goes away under the open port: the other end of the line closes (the device
// end then fails with EIO), or the device end is hung up, as an unplugged USB adapter is.
enum class Vanish { ControllerCloses, HangUp };

class SerialPortVanishTest : public SerialPortTest, public ::testing::WithParamInterface<Vanish> {};

TEST_P(SerialPortVanishTest, FirstReadFetchesEverythingCountedAndTheCountNoticesTheGoneDevice) {
    if (GetParam() == Vanish::HangUp && geteuid() != 0)
        GTEST_SKIP() << "hanging up a terminal needs root";
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    peer.Send("0123456789");
    ASSERT_EQ(WaitForWaiting(10), 10);
    EXPECT_FALSE(SerialPort::DeviceGone());
    unsigned char byte = 0;
    ASSERT_EQ(SerialPort::Read(&byte, 1), 1);
    if (GetParam() == Vanish::ControllerCloses)
        peer.CloseController();
    else
        ASSERT_EQ(ioctl(peer.device, TIOCVHANGUP), 0);
    // Once the device is gone only bytes already fetched can still be read.
    EXPECT_EQ(SerialPort::BytesWaiting(), 9);
    EXPECT_TRUE(SerialPort::DeviceGone());
    EXPECT_TRUE(SerialPort::IsOpen()) << "closing is the caller's";
    EXPECT_EQ(ReceiveTicks(9), "123456789");
    EXPECT_EQ(SerialPort::WriteText("x"), 0);
    SerialPort::Close();
    EXPECT_FALSE(SerialPort::DeviceGone());
}

INSTANTIATE_TEST_SUITE_P(ControllerClosesOrHangUp, SerialPortVanishTest,
                         ::testing::Values(Vanish::ControllerCloses, Vanish::HangUp));

// The kernel moves what waits behind a full queue into it only after a read, a moment later,
// so one count may take less than all of it on a busy machine; the rest then comes with the next
// counts, in order. A port layer that reads once per count never takes more than the queue.
TEST_F(SerialPortTest, FullQueueIsCountedWithWhatWaitsBehindIt) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 1048576));
    std::string bytes;
    for (int i = 0; i < 10000; ++i)
        bytes.push_back(static_cast<char>(i * 7 + i / 256));
    bool tookAllAtOnce = false;
    for (int attempt = 0; attempt < 5 && !tookAllAtOnce; ++attempt) {
        SCOPED_TRACE(attempt);
        peer.Send(bytes);
        // The kernel's queue takes 4095 of them; the rest waits in the driver behind it.
        int queued = 0;
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (ioctl(peer.device, FIONREAD, &queued) == 0 && queued < 4095 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        ASSERT_EQ(queued, 4095);
        const int first = SerialPort::BytesWaiting();
        EXPECT_GE(first, 4095);
        tookAllAtOnce = first == 10000;
        EXPECT_EQ(ReceiveTicks(bytes.size()), bytes);
        EXPECT_EQ(SerialPort::BytesWaiting(), 0);
    }
    EXPECT_TRUE(tookAllAtOnce) << "no count took what waited behind the full queue";
}

TEST_F(SerialPortTest, ReadWithNothingWaitingReturnsAtOnce) {
    ASSERT_TRUE(SerialPort::Open(peer.path, 9600));
    unsigned char buffer[16] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SerialPort::BytesWaiting(), 0);
    EXPECT_EQ(SerialPort::Read(buffer, 16), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_FALSE(SerialPort::DeviceGone()) << "nothing to read is not a gone device";
    peer.Send("xyz");
    ASSERT_EQ(WaitForWaiting(3), 3);
    EXPECT_EQ(SerialPort::Read(buffer, 16), 3);
    EXPECT_EQ(std::string(buffer, buffer + 3), "xyz");
}

} // namespace
