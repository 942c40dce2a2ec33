#pragma once
// How both window layers read the text typed into TransparencySpin's field.

#include <optional>
#include <string_view>

// The number the field's digits spell, any number above kSpinMaximum counting as
// kSpinMaximum + 1; none for an empty field or one holding anything but digits.
std::optional<int> SpinTextNumber(std::string_view text);
