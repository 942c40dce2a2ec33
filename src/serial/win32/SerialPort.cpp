#include "serial/SerialPort.h"

#include <algorithm>
#include <vector>
#include <windows.h>

namespace {

// The one open device; INVALID_HANDLE_VALUE while the slot is empty.
HANDLE slot = INVALID_HANDLE_VALUE;
bool gone = false;
// What was taken from the device and not yet read: the pump asks for one byte at a time.
std::vector<unsigned char> received;
std::size_t nextReceived = 0;

constexpr DWORD kQueueSize = 255;
constexpr std::size_t kLongestName = 59;

// Whether a failed call says the device was removed while open. Windows documents no such
// code for serial drivers; these are the ones seen when an adapter or a board is unplugged,
// and Wine's:
//   ERROR_FILE_NOT_FOUND (2): Prolific PL2303 (serialport/node-serialport#95)
//   ERROR_ACCESS_DENIED (5): WCH CH34x, the CH340's family (jcurl/RJCP.DLL.SerialPortStream#143)
//   ERROR_BAD_COMMAND (22): usbser.sys boards such as the Raspberry Pi Pico
//     (thonny/thonny#2513, OpenwaterHealth/SlicerOpenLIFU#437)
//   ERROR_NOT_READY (21): Wine, for a port whose Unix device hung up (its EIO)
//   ERROR_DEVICE_NOT_CONNECTED (1167): USB transfers after unplugging (libusb/libusb#664)
// ERROR_OPERATION_ABORTED is a line error under fAbortOnError, left as the device has it.
bool RemovedDeviceError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_ACCESS_DENIED ||
           error == ERROR_NOT_READY || error == ERROR_BAD_COMMAND ||
           error == ERROR_DEVICE_NOT_CONNECTED;
}

void NoticeRemoval() {
    if (RemovedDeviceError(GetLastError()))
        gone = true;
}

DWORD Buffered() {
    return static_cast<DWORD>(received.size() - nextReceived);
}

// What one tick can show in good time; beyond it the device waits until the tick has shown
// what was taken.
constexpr DWORD kMostHeld = 640 * 1024;
// Bytes keep arriving while the counted ones are read; this many counts in one go take them
// without keeping the message loop from everything else.
constexpr int kMostCountsAtOnce = 17;

// Reads what the driver counts into the buffer; false when nothing more came.
bool TakeCounted() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(slot, &errors, &status)) {
        NoticeRemoval();
        return false;
    }
    const DWORD wanted = std::min<DWORD>(status.cbInQue, kMostHeld - Buffered());
    if (wanted == 0)
        return false;
    received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(nextReceived));
    nextReceived = 0;
    const std::size_t had = received.size();
    received.resize(had + wanted);
    DWORD got = 0;
    if (!ReadFile(slot, received.data() + had, wanted, &got, nullptr))
        NoticeRemoval();
    received.resize(had + got);
    return got > 0;
}

} // namespace

namespace SerialPort {

bool Open(const std::string& name, uint32_t baudRate) {
    // The prefix reaches COM10 and above, which have no plain DOS device name.
    const std::string path = "\\\\.\\" + name.substr(0, kLongestName);
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    SetupComm(handle, kQueueSize, kQueueSize);

    DCB state{};
    state.DCBlength = sizeof state;
    if (!GetCommState(handle, &state)) {
        CloseHandle(handle);
        return false;
    }
    state.BaudRate = baudRate;
    state.ByteSize = 8;
    state.Parity = NOPARITY;
    state.StopBits = ONESTOPBIT;
    state.fParity = TRUE;
    state.fOutxCtsFlow = FALSE;
    state.fRtsControl = RTS_CONTROL_DISABLE;
    if (!SetCommState(handle, &state)) {
        CloseHandle(handle);
        return false;
    }

    // Reads never wait: only bytes already counted are asked for.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = 100;
    timeouts.WriteTotalTimeoutConstant = 10;
    SetCommTimeouts(handle, &timeouts);

    Close();
    slot = handle;
    return true;
}

bool IsOpen() {
    return slot != INVALID_HANDLE_VALUE;
}

int BytesWaiting() {
    TakeReceived();
    return static_cast<int>(Buffered());
}

Take TakeReceived() {
    if (slot == INVALID_HANDLE_VALUE)
        return Take::Stop;
    int counts = 0;
    while (counts < kMostCountsAtOnce && Buffered() < kMostHeld && TakeCounted())
        ++counts;
    if (gone || Buffered() >= kMostHeld)
        return Take::Stop;
    return counts == kMostCountsAtOnce ? Take::Behind : Take::CaughtUp;
}

int BytesTaken() {
    return static_cast<int>(Buffered());
}

int WatchableDescriptor() {
    return -1;
}

int Read(unsigned char* buffer, int count) {
    if (slot == INVALID_HANDLE_VALUE || count <= 0)
        return 0;
    const DWORD taken = std::min(static_cast<DWORD>(count), Buffered());
    std::copy_n(received.data() + nextReceived, taken, buffer);
    nextReceived += taken;
    return static_cast<int>(taken);
}

bool DeviceGone() {
    return gone;
}

int WriteText(const std::string& text) {
    if (slot == INVALID_HANDLE_VALUE)
        return 0;
    // Like the C string it stands for, the text ends at its first NUL.
    const std::size_t zero = text.find('\0');
    const std::size_t length = zero == std::string::npos ? text.size() : zero;
    if (length == 0)
        return 0;
    DWORD written = 0;
    // Only the count matters: a time-out reports failure with part of the text sent.
    WriteFile(slot, text.data(), static_cast<DWORD>(length), &written, nullptr);
    return static_cast<int>(written);
}

void Close() {
    if (slot != INVALID_HANDLE_VALUE)
        CloseHandle(slot);
    slot = INVALID_HANDLE_VALUE;
    gone = false;
    received = {};
    nextReceived = 0;
}

} // namespace SerialPort
