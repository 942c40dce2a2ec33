#pragma once

#include <string>

// The full path of the running executable, as the platform reports it (empty if unknown).
std::string ExecutablePath();

// The directory part of an executable path: everything before its last slash or backslash.
std::string DirectoryOf(const std::string& executablePath);

// Makes the executable's directory the current one, so that the settings file and the logs
// are found beside the program wherever it was started from. A failure is ignored.
void MakeProgramDirectoryCurrent();
