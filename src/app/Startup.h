#pragma once

// The one-time set-up of the freshly created controls.
void SetUpControls();

// Start-up: from the program's directory to the shown window with its handlers bound.
void StartUp();

// Shutdown after the close event, while the window still exists.
void ShutDown();

// The program's whole life: start-up, the event loop, shutdown. Returns the exit status.
int RunComterm();
