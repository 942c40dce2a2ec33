#pragma once
// The entry a drop-down list selects when the program sets its text, for every window layer.

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The list shows no entry.
inline constexpr int kNoEntry = -1;

// The first entry that the text begins, ignoring the case of ASCII letters only; kNoEntry for
// empty text; none where no entry begins with it, and the selection stays as it is.
std::optional<int> EntryForText(std::span<const std::string> entries, std::string_view text);
