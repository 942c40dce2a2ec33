#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The most characters one byte's text can take: the Bin group "00001010 ".
constexpr std::size_t kLongestByteText = 9;

// Adds the display text of one received byte for the given InputMode: Hex "0A ", Char the
// byte itself (nothing for 0), Bin "00001010 "; any other mode adds nothing.
void AppendByteText(std::string& chunk, int32_t inputMode, unsigned char byte);
