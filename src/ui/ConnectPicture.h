#pragma once

void BuildConnectedPicture();
void ShowConnectionState(bool connected);
