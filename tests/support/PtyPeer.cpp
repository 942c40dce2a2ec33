#include "support/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// The kernel moves bytes between the pty's buffers in the background; a short pause lets
// each step finish.
void Settle() {
    std::this_thread::sleep_for(20ms);
}

int FillOneByOne(int fd) {
    int written = 0;
    for (int misses = 0; misses < 2;) {
        if (write(fd, "x", 1) == 1) {
            ++written;
            misses = 0;
        } else {
            ++misses;
            Settle();
        }
    }
    return written;
}

} // namespace

PtyPeer::PtyPeer() {
    if (openpty(&controller, &device, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    path = ttyname(device);
    fcntl(controller, F_SETFL, O_NONBLOCK);
    fcntl(device, F_SETFL, O_NONBLOCK);
}

PtyPeer::~PtyPeer() {
    CloseController();
    close(device);
}

void PtyPeer::CloseController() {
    if (controller >= 0)
        close(controller);
    controller = -1;
}

void PtyPeer::Send(const std::string& bytes) const {
    if (write(controller, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("short write to the pty");
}

std::string PtyPeer::Receive(std::size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string got;
    char buffer[4096];
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd wait{controller, POLLIN, 0};
        poll(&wait, 1, 10);
        const ssize_t n = read(controller, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

std::string PtyPeer::Drain() const {
    std::string got;
    char buffer[4096];
    for (int misses = 0; misses < 2;) {
        const ssize_t n = read(controller, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, static_cast<std::size_t>(n));
            misses = 0;
        } else {
            ++misses;
            Settle();
        }
    }
    return got;
}

bool PtyPeer::LeaveRoom(int room) const {
    // Reading a fixed amount frees the same room each time once the buffers are in step.
    char freed[1000];
    FillOneByOne(device);
    int previous = -1;
    int measured = -2;
    for (int round = 0; round < 20 && measured != previous; ++round) {
        previous = measured;
        if (read(controller, freed, sizeof freed) != sizeof freed)
            return false;
        Settle();
        measured = FillOneByOne(device);
    }
    if (measured != previous || measured < room)
        return false;
    if (read(controller, freed, sizeof freed) != sizeof freed)
        return false;
    Settle();
    for (int i = 0; i < measured - room; ++i) {
        if (write(device, "y", 1) != 1)
            return false;
    }
    return true;
}

bool DeviceIsFree(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int exclusive = 0;
    // Only a terminal has an exclusive mode; for anything else the lock alone tells.
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                      !(ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0);
    close(fd);
    return free;
}
