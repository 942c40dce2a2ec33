#pragma once
// Comparison of single-byte text that ignores the case of ASCII letters only.

#include <string_view>

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
