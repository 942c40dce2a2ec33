#include "serial/posix/LineSettings.h"

// The kernel's termios2 carries any rate; this header clashes with <termios.h>, so it is
// kept to this file.
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace {

void MakeRaw(termios2& settings, uint32_t baudRate) {
    // Breaks are dropped; 0x11 and 0x13 are data, not flow control.
    settings.c_iflag &= ~(BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                          IUCLC | INPCK | IMAXBEL);
    settings.c_iflag |= IGNBRK;
    settings.c_oflag &= ~(OPOST | ONLCR | OCRNL | ONOCR | ONLRET | OLCUC);
    settings.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
    settings.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER;
    settings.c_ispeed = baudRate;
    settings.c_ospeed = baudRate;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

// Drivers answer a rate they cannot make with another one; within 3 % a UART still
// understands the other side.
bool Accepted(const termios2& applied, uint32_t baudRate) {
    const uint64_t rate = baudRate;
    const uint64_t got = applied.c_ospeed;
    const uint64_t difference = got > rate ? got - rate : rate - got;
    return difference * 100 <= rate * 3 && (applied.c_cflag & CSIZE) == CS8 &&
           (applied.c_cflag & (PARENB | CSTOPB)) == 0;
}

// A pseudo-terminal has no modem lines; that is no reason to refuse it.
bool HoldRtsInactive(int fd) {
    const int rts = TIOCM_RTS;
    return ioctl(fd, TIOCMBIC, &rts) == 0 || errno == ENOTTY || errno == EINVAL;
}

} // namespace

bool ApplyLineSettings(int fd, uint32_t baudRate) {
    termios2 previous{};
    if (ioctl(fd, TCGETS2, &previous) != 0)
        return false;
    termios2 wanted = previous;
    MakeRaw(wanted, baudRate);
    termios2 applied{};
    if (ioctl(fd, TCSETS2, &wanted) == 0 && ioctl(fd, TCGETS2, &applied) == 0 &&
        Accepted(applied, baudRate) && HoldRtsInactive(fd))
        return true;
    ioctl(fd, TCSETS2, &previous);
    return false;
}
