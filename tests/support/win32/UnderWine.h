#pragma once
// Whether the tests run under Wine, which differs from Windows in a few stated ways.

#include <windows.h>

inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}
