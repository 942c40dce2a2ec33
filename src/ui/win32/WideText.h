#pragma once
// The program's Windows-1251 text as the UTF-16 text of the system's wide-character calls.

#include <string>

#include "shared/Cp1251.h"

inline std::wstring WideText(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text)
        wide.push_back(static_cast<wchar_t>(kCp1251ToUnicode[static_cast<unsigned char>(c)]));
    return wide;
}
