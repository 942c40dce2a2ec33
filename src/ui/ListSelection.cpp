#include "ui/ListSelection.h"

#include "shared/AsciiCase.h"

std::optional<int> EntryForText(std::span<const std::string> entries, std::string_view text) {
    if (text.empty())
        return kNoEntry;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (StartsWithIgnoringAsciiCase(entries[i], text))
            return static_cast<int>(i);
    }
    return std::nullopt;
}
