#pragma once

#include <string>

// The full path of the running executable, as the platform reports it; empty if unknown or
// beyond the 260-character path limit.
std::string ExecutablePath();

// The directory part of an executable path: everything up to and including its last slash
// or backslash; empty when it has neither.
std::string DirectoryOf(const std::string& executablePath);

// Makes the executable's directory the current one, so that the settings file and the logs
// are found beside the program wherever it was started from. A failure is ignored.
void MakeProgramDirectoryCurrent();
