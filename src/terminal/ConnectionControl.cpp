#include "terminal/ConnectionControl.h"

#include <string>

#include "serial/ParseBaudText.h"
#include "serial/PortDescription.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "storage/ReceiveLog.h"
#include "terminal/ReceivePump.h"
#include "ui/ConnectPicture.h"
#include "ui/ControlTable.h"
#include "ui/Window.h"

namespace {

constexpr int kPortCount = 256;
constexpr int kFirstAutoConnectTick = 250;
constexpr int kAutoConnectRetryTicks = 50;
// A second of ticks: a board that resets speaks first right after its port is back.
constexpr int kReturnRetryTicks = 25;
const char* const kBaudRates[] = {"1200",  "2400",  "4800",   "9600",   "19200",  "38400",
                                  "57600", "76800", "115200", "230400", "460800", "1048576"};
const char* const kPortOpenTitle = "Порт открыт";
const char* const kOpenFailedTitle = "Ошибка при открытии порта";

void ConnectAutomatically() {
    SetChecked(ConnectButton, true);
    ToggleConnection();
}

// On a tick without a port, after the device went away: opens the port on the first tick
// its device is back, and on every tick after that for a second until it opens.
void AwaitDeviceStep() {
    switch (terminal.AwaitedDevice) {
    case DeviceReturn::NotAwaited:
        return;
    case DeviceReturn::AwaitingAbsence:
        if (!PortDeviceReady(GetText(PortCombo)))
            terminal.AwaitedDevice = DeviceReturn::AwaitingDevice;
        return;
    case DeviceReturn::AwaitingDevice:
        if (!PortDeviceReady(GetText(PortCombo)))
            return;
        terminal.AwaitedDevice = DeviceReturn::Retrying;
        terminal.ReturnRetryTicks = kReturnRetryTicks;
        break;
    case DeviceReturn::Retrying:
        break;
    }
    ConnectAutomatically();
    if (SerialPort::IsOpen())
        terminal.AwaitedDevice = DeviceReturn::NotAwaited;
    else if (--terminal.ReturnRetryTicks <= 0)
        terminal.AwaitedDevice = DeviceReturn::AwaitingAbsence;
}

} // namespace

// The watch ends first: the descriptor it watches is about to be closed.
void ClosePort() {
    EndDescriptorWatch();
    SerialPort::Close();
}

void FillPortAndBaudLists() {
    // Installed before the entries, so that none of them is described a second time.
    SetItemDescriber(PortCombo, PortDescription);
    for (int number = 1; number <= kPortCount; ++number)
        AddItem(PortCombo, "COM" + std::to_string(number));
    for (const char* rate : kBaudRates)
        AddItem(BaudCombo, rate);
}

void ToggleConnection() {
    if (IsChecked(ConnectButton)) {
        if (OpenSelectedPort())
            ShowConnectionState(true);
        return;
    }
    ClosePort();
    ShowConnectionState(false);
    SetTitle(kPortClosedTitle);
}

void ToggleConnectionByUser() {
    terminal.AwaitedDevice = DeviceReturn::NotAwaited;
    ToggleConnection();
}

void CloseVanishedPort() {
    SetChecked(ConnectButton, false);
    ToggleConnection();
    terminal.AwaitedDevice = DeviceReturn::AwaitingDevice;
}

bool OpenSelectedPort() {
    ClosePort();
    const auto baudRate = static_cast<uint32_t>(ParseBaudText(GetText(BaudCombo)));
    if (SerialPort::Open(GetText(PortCombo), baudRate)) {
        // At once, so that a device's first bytes are taken as they come.
        WatchReceivedBytes();
        SetTitle(kPortOpenTitle);
        RotateLog();
        return true;
    }
    SetTitle(kOpenFailedTitle);
    SetChecked(ConnectButton, false);
    ShowConnectionState(false);
    return false;
}

void AutoConnectStep() {
    if (!terminal.AutoConnectFlag)
        return;
    ++terminal.ReconnectTicks;
    if (terminal.ReconnectTicks < kFirstAutoConnectTick) {
        AwaitDeviceStep();
        return;
    }
    ConnectAutomatically();
    terminal.ReconnectTicks = kFirstAutoConnectTick - kAutoConnectRetryTicks;
}
