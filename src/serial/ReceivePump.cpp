#include "serial/ReceivePump.h"

#include <string>

#include "serial/AppendByteText.h"
#include "serial/ConnectionControl.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "storage/ReceiveLog.h"
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

// Takes what arrives between ticks. A gone device's descriptor stays readable and a full buffer
// waits for the tick: watching either would spin the loop.
void TakeArrived() {
    if (!SerialPort::TakeReceived())
        EndDescriptorWatch();
}

} // namespace

void WatchReceivedBytes() {
    WatchDescriptor(SerialPort::WatchableDescriptor(), TakeArrived);
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
    // Only after what was already taken from the device is shown and logged.
    if (SerialPort::DeviceGone())
        CloseVanishedPort();
    else
        WatchReceivedBytes(); // again, after a pause for a full buffer
}
