#include "serial/posix/ExclusiveDevice.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

int OpenExclusiveDevice(const std::string& path) {
    // Non-blocking, so that opening does not wait for a carrier.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    // Root passes through another holder's exclusive mode, so look for it first; the mode
    // is theirs and must not be cleared here.
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        close(fd);
        return -1;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void CloseExclusiveDevice(int fd) {
    // The mode outlives the descriptor while anyone else keeps the device open.
    ioctl(fd, TIOCNXCL);
    close(fd);
}
