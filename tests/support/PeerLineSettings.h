#pragma once
// The line settings of a pseudo-terminal as its controller side sees them.

#include <cstdint>

struct PeerLineSettings {
    uint32_t inputSpeed = 0;
    uint32_t outputSpeed = 0;
    bool anySpeed = false; // the rate is given as a number, not a fixed speed code
    bool eightDataBits = false;
    bool parity = false;
    bool twoStopBits = false;
    bool ctsFlowControl = false;
    bool localLine = false;
    bool receiverOn = false;
    bool hangUpOnClose = false;
    bool canonical = false;
    bool echo = false;
    bool signalKeys = false; // interrupt and suspend characters raise signals
    bool extendedInput = false;
    bool outputProcessing = false;
    bool softwareFlowControl = false;
    bool lineEndTranslation = false;
    bool stripEighthBit = false;
};

PeerLineSettings ReadPeerLineSettings(int fd);
void SetPeerHangUpOnClose(int fd, bool on);
