#pragma once
// Opening a terminal device that no other cooperating program may share.

#include <string>

// Returns the non-blocking descriptor of the device, or -1 when it is missing or held by
// another program (an flock(2) lock or the exclusive-use mode of the terminal).
int OpenExclusiveDevice(const std::string& path);
void CloseExclusiveDevice(int fd);
