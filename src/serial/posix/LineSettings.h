#pragma once
// The fixed line format of every open.

#include <cstdint>

// Puts the device into byte-transparent raw mode at 8N1 and the given rate, with no flow
// control and RTS inactive; DTR and hang-up on close stay as the device had them. Returns
// false, with the previous settings restored, when the device refuses them.
bool ApplyLineSettings(int fd, uint32_t baudRate);
