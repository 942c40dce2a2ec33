#pragma once
// The one table between the program's Windows-1251 bytes and Unicode.

#include <string>

// Unicode code point of each byte; 0x98, which Windows-1251 leaves unassigned, maps to U+0098.
extern const char16_t kCp1251ToUnicode[256];

// The Windows-1251 byte of a code point, or '?' when it has none.
char UnicodeToCp1251(char32_t codePoint);
