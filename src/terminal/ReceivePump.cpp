#include "terminal/ReceivePump.h"

#include <chrono>
#include <cstdint>
#include <string>

#include "serial/AppendByteText.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "storage/ReceiveLog.h"
#include "terminal/ConnectionControl.h"
#include "ui/Window.h"

namespace {

// Reads the counted bytes and shows and logs them as one chunk.
void ShowAndLog(int waiting) {
    std::string chunk;
    chunk.reserve(static_cast<std::size_t>(waiting) * kLongestByteText);
    for (int i = 0; i < waiting; ++i) {
        unsigned char byte = 0;
        if (SerialPort::Read(&byte, 1) == 1)
            AppendByteText(chunk, terminal.InputMode, byte);
    }
    if (chunk.empty())
        return;
    AppendToView(ReceiveView, chunk);
    if (terminal.LogFlag)
        WriteLogChunk(chunk);
}

// Below this pace a tick's worth (12.8 KiB) waits in the system without holding the device up
// (the terminal's 4 KiB queue, and behind it the 15 KiB a pseudo-terminal keeps or the 64 KiB
// of a serial driver), and the tick takes it; waking for every piece of a slow stream would
// cost more than the stream.
constexpr std::int64_t kUnhurriedBytesPerSecond = 320 * 1024;

// The pace is judged over the last tick's time and since, or since the port opened: a stream's
// first piece after a tick says little.
std::chrono::steady_clock::time_point lastTickWatch;
std::chrono::steady_clock::time_point watchedSince;
int shownByLastTick = 0;

bool Unhurried() {
    const auto judged = std::chrono::steady_clock::now() - lastTickWatch;
    const std::int64_t microseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(judged).count();
    const std::int64_t bytes = shownByLastTick + SerialPort::BytesTaken();
    return bytes * std::int64_t{1000000} < kUnhurriedBytesPerSecond * microseconds;
}

// Takes what arrives between ticks; a slow stream waits for the tick, which watches again,
// but never while the system's queue is full. A gone device's descriptor stays readable and a
// full buffer waits for the tick: watching either would spin the loop.
void TakeArrived() {
    const SerialPort::Take taken = SerialPort::TakeReceived();
    if (taken == SerialPort::Take::Stop || (taken == SerialPort::Take::CaughtUp && Unhurried()))
        EndDescriptorWatch();
}

// Watches again, after a pause too; the pace is judged from the previous watch on.
void WatchAgain() {
    lastTickWatch = watchedSince;
    watchedSince = std::chrono::steady_clock::now();
    WatchDescriptor(SerialPort::WatchableDescriptor(), TakeArrived);
}

} // namespace

void WatchReceivedBytes() {
    shownByLastTick = 0;
    watchedSince = std::chrono::steady_clock::now();
    WatchAgain();
}

void ReceiveTick() {
    if (!SerialPort::IsOpen()) {
        AutoConnectStep();
        return;
    }
    terminal.ReconnectTicks = 0;
    // Counted once: bytes arriving meanwhile are taken for the next tick.
    const int waiting = SerialPort::BytesWaiting();
    if (waiting > 0)
        ShowAndLog(waiting);
    shownByLastTick = waiting;
    // Only after what was already taken from the device is shown and logged.
    if (SerialPort::DeviceGone()) {
        CloseVanishedPort();
        return;
    }
    WatchAgain();
}
