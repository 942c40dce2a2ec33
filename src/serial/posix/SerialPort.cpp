#include "serial/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "serial/posix/ExclusiveDevice.h"
#include "serial/posix/LineSettings.h"
#include "serial/posix/PortNames.h"
#include "serial/posix/TimedWrite.h"

namespace {

// The one open device, and what was taken from it and not yet read. The receive pump asks for
// one byte at a time, so reads are served from here.
struct PortSlot {
    int fd = -1;
    bool gone = false;
    std::vector<unsigned char> received;
    std::size_t nextReceived = 0;
};

PortSlot slot;

int Buffered() {
    return static_cast<int>(slot.received.size() - slot.nextReceived);
}

// The kernel's receive queue of a terminal holds at most this many bytes, and a read never
// sees more. While it is full, later bytes wait in the driver behind it, so the queue is read
// until a read comes back short, each full read letting the driver refill it.
constexpr int kFullQueue = 4095;
// The driver keeps at most 64 KiB behind the queue; more reads in one go would keep the
// event loop from everything else while a fast device floods it.
constexpr int kMostReadsAtOnce = 17;
// What one tick can show in good time; beyond it the device waits in the system until the
// tick has shown what was taken (16 MiB a second at 25 ticks a second).
constexpr int kMostHeld = 640 * 1024;

// Read errors of a device that is no longer there; a pause (EAGAIN, EINTR) is not one.
bool VanishError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

// Appends what one read of up to a full queue gives; returns what the read returned.
ssize_t FetchMore() {
    slot.received.erase(slot.received.begin(),
                        slot.received.begin() + static_cast<std::ptrdiff_t>(slot.nextReceived));
    slot.nextReceived = 0;
    const std::size_t had = slot.received.size();
    slot.received.resize(had + kFullQueue);
    const ssize_t got = read(slot.fd, slot.received.data() + had, kFullQueue);
    if (got < 0 && VanishError(errno))
        slot.gone = true;
    slot.received.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
    return got;
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
    TakeReceived();
    return Buffered();
}

Take TakeReceived() {
    if (slot.fd < 0 || Buffered() >= kMostHeld)
        return Take::Stop;
    bool behind = false;
    // One look tells both whether anything waits and whether the device hung up.
    pollfd port{slot.fd, POLLIN, 0};
    if (poll(&port, 1, 0) == 1) {
        if (port.revents & POLLIN) {
            ssize_t got = FetchMore();
            // A hung-up device polls readable and reads as the end of a file.
            if (got == 0)
                slot.gone = true;
            behind = got == kFullQueue;
            for (int reads = 1;
                 got == kFullQueue && reads < kMostReadsAtOnce && Buffered() < kMostHeld; ++reads)
                got = FetchMore();
        }
        if (port.revents & (POLLHUP | POLLERR | POLLNVAL))
            slot.gone = true;
    }
    if (slot.gone || Buffered() >= kMostHeld)
        return Take::Stop;
    return behind ? Take::Behind : Take::CaughtUp;
}

int BytesTaken() {
    return Buffered();
}

int WatchableDescriptor() {
    return slot.fd;
}

bool DeviceGone() {
    return slot.gone;
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
