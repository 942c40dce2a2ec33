#pragma once
// The INI text of the settings file: parsing it into entries and writing entries back.

#include <string>
#include <string_view>
#include <vector>

enum class EntryKind { Group, Comment, Key };

struct SettingsEntry {
    EntryKind Kind = EntryKind::Key;
    std::string Name;  // group or key name; the text of a comment
    std::string Value; // key value, as it stands after the "="

    bool operator==(const SettingsEntry&) const = default;
};

struct ParsedSettings {
    std::vector<SettingsEntry> Entries;
    bool Utf8 = false; // the text began with a UTF-8 byte-order mark
};

// Accepts any bytes: every line becomes a group header, a comment or a key.
ParsedSettings ParseSettings(std::string_view bytes);

// The exact file text: "name = value", "[group]" and "; comment" lines, each ending in CR LF.
std::string FormatSettings(const std::vector<SettingsEntry>& entries);
