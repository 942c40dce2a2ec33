#pragma once
// Choosing, opening and closing the port, the window title that shows its state, and the
// automatic reconnection.

void FillPortAndBaudLists();
void ToggleConnection();
bool OpenSelectedPort();
void AutoConnectStep();
