#pragma once

// The 40 ms tick: shows and logs what the port received and closes a port whose device went
// away, or counts towards reconnecting.
void ReceiveTick();

// Has the event loop take received bytes as they arrive from a port just opened, for the next
// tick to show; each tick watches again. The watch ends by itself when the device is gone, and
// pauses until the tick while the buffer is full or the stream is slow enough for the system
// to hold a tick's worth.
void WatchReceivedBytes();
