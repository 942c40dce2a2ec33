#pragma once

#include <cstdint>
#include <string>

// Reads the baud rate typed into the rate list: leading spaces and tabs, an optional sign,
// then "$" and hexadecimal digits, "%" and binary digits, or decimal digits, up to the first
// character that does not fit. No digits give 0; the value wraps around in 64 bits.
int64_t ParseBaudText(const std::string& text);
