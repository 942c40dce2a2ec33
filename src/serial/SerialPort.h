#pragma once
// The one serial port slot. Failures are reported as false or 0, never thrown.

#include <cstdint>
#include <string>

namespace SerialPort {

// Opens the named port at 8N1 with no flow control and RTS inactive. On success any port
// already in the slot is closed and replaced; on failure the slot is left as it was.
bool Open(const std::string& name, uint32_t baudRate);
bool IsOpen();
// Received bytes ready to be read; 0 with no port or when the count cannot be obtained.
// On Linux counting also reads what waits into the slot's buffer, so the count and the reads
// that follow agree and need no further system calls; Read then serves from that buffer.
// Counting is also where a device that went away is noticed (DeviceGone).
int BytesWaiting();
// Returns at once with at most count bytes, 0 when none could be read.
int Read(unsigned char* buffer, int count);
// Whether the counting found the open port's device gone (unplugged, hung up). Bytes already
// taken can still be read; the port stays open until closed.
bool DeviceGone();
// Writes the bytes unchanged, giving up after 100 ms per byte plus 10 ms; returns how many
// went out. On Windows the text ends at its first zero byte; on Linux zero bytes go out too.
int WriteText(const std::string& text);
void Close();

} // namespace SerialPort
