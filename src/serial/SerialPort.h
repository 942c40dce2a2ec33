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
// Counting also takes what waits in the system (TakeReceived), so the count and the reads that
// follow agree and need no further system calls; Read then serves from the slot's buffer.
// Counting is also where a device that went away is noticed (DeviceGone).
int BytesWaiting();
// What a take found.
enum class Take {
    // Nothing more should be taken before the buffer is read: it is full, or the device is gone
    // (whose descriptor stays readable for ever), or no port is open.
    Stop,
    CaughtUp,
    // The system's queue was full: more may wait behind it.
    Behind,
};
// Takes what the system has received into the slot's buffer without waiting, up to what one
// tick can show.
Take TakeReceived();
// Bytes taken and not yet read, without asking the system.
int BytesTaken();
// The descriptor that turns readable when bytes arrive, for the event loop to watch; -1 with
// no port, and on Windows, whose synchronous comm handle signals nothing a loop can wait on.
int WatchableDescriptor();
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
