#include <windows.h>

#include "app/ProgramDirectory.h"

std::string ExecutablePath() {
    char buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    // A full buffer means the path was cut short.
    if (length == 0 || length >= sizeof buffer)
        return {};
    return std::string(buffer, length);
}
