#pragma once

// The 40 ms tick: shows and logs what the port received, or counts towards reconnecting.
void ReceiveTick();
