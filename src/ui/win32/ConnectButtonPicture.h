#pragma once
// ConnectButton draws ConnectedPicture over its face while it has it.

#include <windows.h>

// Hooks the button's painting; done once, when the button is made.
void DrawPictureOnButton(HWND button);
