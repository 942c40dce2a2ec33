#include "serial/ConnectionControl.h"

#include <string>

#include "shared/TerminalState.h"
#include "serial/ParseBaudText.h"
#include "serial/PortDescription.h"
#include "serial/SerialPort.h"
#include "storage/ReceiveLog.h"
#include "ui/ConnectPicture.h"
#include "ui/ControlTable.h"
#include "ui/Window.h"

namespace {

constexpr int kPortCount = 256;
constexpr int kFirstAutoConnectTick = 250;
constexpr int kAutoConnectRetryTicks = 50;
const char* const kBaudRates[] = {"1200",  "2400",  "4800",   "9600",   "19200",  "38400",
                                  "57600", "76800", "115200", "230400", "460800", "1048576"};
const char* const kPortOpenTitle = "Порт открыт";
const char* const kOpenFailedTitle = "Ошибка при открытии порта";

} // namespace

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
    SerialPort::Close();
    ShowConnectionState(false);
    SetTitle(kPortClosedTitle);
}

bool OpenSelectedPort() {
    SerialPort::Close();
    const auto baudRate = static_cast<uint32_t>(ParseBaudText(GetText(BaudCombo)));
    if (SerialPort::Open(GetText(PortCombo), baudRate)) {
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
    if (terminal.ReconnectTicks < kFirstAutoConnectTick)
        return;
    SetChecked(ConnectButton, true);
    ToggleConnection();
    terminal.ReconnectTicks = kFirstAutoConnectTick - kAutoConnectRetryTicks;
}
