#pragma once
// Conversions between settings values, numbers and the UTF-8 form of a settings file.

#include <cstdint>
#include <string>
#include <string_view>

// Spaces and tabs removed from one end of the text.
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

// Leading white space, an optional sign, then decimal digits up to the first non-digit;
// no digits gives 0.
int32_t ValueToNumber(std::string_view value);

// Decimal form of the number's low 32 bits taken as signed.
std::string NumberToValue(int64_t number);

// Each byte taken as the character U+0000 to U+00FF, written in UTF-8.
std::string SingleByteToUtf8(std::string_view text);

// Characters below U+0100 become their byte, wider ones "?"; stray bytes are dropped.
std::string Utf8ToSingleByte(std::string_view text);
