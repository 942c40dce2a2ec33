#include "support/PeerLineSettings.h"

// termios2 shows rates that no fixed speed code names; it clashes with <termios.h>.
#include <asm/termbits.h>
#include <stdexcept>
#include <sys/ioctl.h>

namespace {

termios2 Get(int fd) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        throw std::runtime_error("TCGETS2 failed");
    return settings;
}

} // namespace

PeerLineSettings ReadPeerLineSettings(int fd) {
    const termios2 s = Get(fd);
    PeerLineSettings seen;
    seen.inputSpeed = s.c_ispeed;
    seen.outputSpeed = s.c_ospeed;
    seen.anySpeed = (s.c_cflag & CBAUD) == BOTHER;
    seen.eightDataBits = (s.c_cflag & CSIZE) == CS8;
    seen.parity = s.c_cflag & PARENB;
    seen.twoStopBits = s.c_cflag & CSTOPB;
    seen.ctsFlowControl = s.c_cflag & CRTSCTS;
    seen.localLine = s.c_cflag & CLOCAL;
    seen.receiverOn = s.c_cflag & CREAD;
    seen.hangUpOnClose = s.c_cflag & HUPCL;
    seen.canonical = s.c_lflag & ICANON;
    seen.echo = s.c_lflag & (ECHO | ECHONL);
    seen.signalKeys = s.c_lflag & ISIG;
    seen.extendedInput = s.c_lflag & IEXTEN;
    seen.outputProcessing = s.c_oflag & OPOST;
    seen.softwareFlowControl = s.c_iflag & (IXON | IXOFF);
    seen.lineEndTranslation = s.c_iflag & (ICRNL | INLCR | IGNCR);
    seen.stripEighthBit = s.c_iflag & ISTRIP;
    return seen;
}

void SetPeerHangUpOnClose(int fd, bool on) {
    termios2 s = Get(fd);
    s.c_cflag = on ? s.c_cflag | HUPCL : s.c_cflag & ~HUPCL;
    if (ioctl(fd, TCSETS2, &s) != 0)
        throw std::runtime_error("TCSETS2 failed");
}
