#include "serial/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

#include "serial/posix/ExclusiveDevice.h"
#include "serial/posix/LineSettings.h"
#include "serial/posix/PortNames.h"
#include "serial/posix/TimedWrite.h"

namespace {

// The one open device. The receive pump asks for one byte at a time; to keep a tick at two
// system calls, the count also reads everything waiting and reads are served from here.
struct PortSlot {
    int fd = -1;
    std::vector<unsigned char> received;
    std::size_t nextReceived = 0;
};

PortSlot slot;

int Buffered() {
    return static_cast<int>(slot.received.size() - slot.nextReceived);
}

// The kernel's receive queue of a terminal holds at most this many bytes, and a count or a
// read never sees more. While it is full, later bytes wait in the driver behind it; at
// 1048576 baud a 40 ms tick brings more than this, so the queue is read until a read comes
// back short, each full read letting the driver refill it.
constexpr int kFullQueue = 4095;
// The driver keeps at most 64 KiB behind the queue.
constexpr int kMostReadsBehindFullQueue = 17;

// Appends what one read of up to a full queue gives; returns how many bytes it gave.
int FetchMore() {
    slot.received.erase(slot.received.begin(),
                        slot.received.begin() + static_cast<std::ptrdiff_t>(slot.nextReceived));
    slot.nextReceived = 0;
    const std::size_t had = slot.received.size();
    slot.received.resize(had + kFullQueue);
    const ssize_t got = read(slot.fd, slot.received.data() + had, kFullQueue);
    slot.received.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
    return got > 0 ? static_cast<int>(got) : 0;
}

} // namespace

namespace SerialPort {

bool Open(const std::string& name, uint32_t baudRate) {
    // A rate of 0 would hang up the line instead of setting a speed.
    if (baudRate == 0)
        return false;
    const std::string path = PortDevicePath(name);
    if (path.empty())
        return false;
    const int fd = OpenExclusiveDevice(path);
    if (fd < 0)
        return false;
    if (!ApplyLineSettings(fd, baudRate)) {
        CloseExclusiveDevice(fd);
        return false;
    }
    Close();
    slot.fd = fd;
    return true;
}

bool IsOpen() {
    return slot.fd >= 0;
}

int BytesWaiting() {
    if (slot.fd < 0)
        return 0;
    int waiting = 0;
    if (ioctl(slot.fd, FIONREAD, &waiting) == 0 && waiting > 0) {
        for (int reads = 0; reads < kMostReadsBehindFullQueue && FetchMore() == kFullQueue;)
            ++reads;
    }
    return Buffered();
}

int Read(unsigned char* buffer, int count) {
    if (slot.fd < 0 || count <= 0)
        return 0;
    const int taken = std::min(count, Buffered());
    std::copy_n(slot.received.data() + slot.nextReceived, taken, buffer);
    slot.nextReceived += static_cast<std::size_t>(taken);
    return taken;
}

int WriteText(const std::string& text) {
    if (slot.fd < 0 || text.empty())
        return 0;
    const std::chrono::milliseconds timeout(100 * static_cast<int64_t>(text.size()) + 10);
    return static_cast<int>(WriteWithin(slot.fd, text.data(), text.size(), timeout));
}

void Close() {
    if (slot.fd >= 0)
        CloseExclusiveDevice(slot.fd);
    slot = PortSlot{};
}

} // namespace SerialPort
