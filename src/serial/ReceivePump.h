#pragma once

// The 40 ms tick: shows and logs what the port received and closes a port whose device went
// away, or counts towards reconnecting.
void ReceiveTick();
