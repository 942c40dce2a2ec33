#pragma once

// The one-time set-up of the freshly created controls.
void SetUpControls();

// Binds every control handler and the timer handler.
void BindHandlers();

// Start-up: from the program's directory to the shown window with its handlers bound.
void StartUp();

// Shutdown after the close event, while the window still exists.
void ShutDown();

// The program's whole life: start-up, the event loop, shutdown. Returns the exit status.
int RunComterm();
