#pragma once
// Choosing, opening and closing the port, the window title that shows its state, and the
// automatic reconnection.

void FillPortAndBaudLists();
void ToggleConnection();
// Bound to the user's changes of ConnectButton, PortCombo and BaudCombo: ToggleConnection, and
// the end of any wait for a device that went away.
void ToggleConnectionByUser();
// The open port's device went away: closes the port as releasing ConnectButton does; with
// Autoconnect ticked, the ticks then open it again as soon as the device is back.
void CloseVanishedPort();
bool OpenSelectedPort();
// Closes any open port, its watch first; shutdown closes it so too.
void ClosePort();
void AutoConnectStep();
