#include "storage/SettingsFile.h"

#include "shared/AsciiCase.h"
#include "storage/FileSystem.h"
#include "storage/SettingsSyntax.h"
#include "storage/SettingsValues.h"

#include <optional>
#include <vector>

namespace {

struct SettingsState {
    bool IsOpen = false;
    std::string Name;
    std::vector<SettingsEntry> Entries;
    bool Utf8 = false;
    std::optional<std::size_t> CurrentGroup; // its header's index; none for the ungrouped keys
    std::string PendingGroup;                // selected but not yet in the file
    bool Modified = false;
    bool WritesKept = true; // false when the file could be opened only for reading
    Replacement Created;    // set by CreateSettings only
};

SettingsState settings;

std::string WantedName(const std::string& name) {
    return settings.Utf8 ? SingleByteToUtf8(name) : name;
}

std::size_t SectionBegin() {
    return settings.CurrentGroup ? *settings.CurrentGroup + 1 : 0;
}

std::size_t SectionEnd() {
    std::size_t i = SectionBegin();
    while (i < settings.Entries.size() && settings.Entries[i].Kind != EntryKind::Group) {
        ++i;
    }
    return i;
}

// The first key of that name in the current section.
std::optional<std::size_t> FindKey(const std::string& key) {
    if (!settings.PendingGroup.empty()) {
        return std::nullopt;
    }
    const std::string wanted = WantedName(key);
    const std::size_t end = SectionEnd();
    for (std::size_t i = SectionBegin(); i < end; ++i) {
        const SettingsEntry& entry = settings.Entries[i];
        if (entry.Kind == EntryKind::Key && EqualIgnoringAsciiCase(entry.Name, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

// A group takes new keys at its end; the ungrouped keys stay above any comments that follow them.
std::size_t InsertionPoint() {
    if (settings.CurrentGroup) {
        return SectionEnd();
    }
    std::size_t point = 0;
    for (std::size_t i = 0; i < SectionEnd(); ++i) {
        if (settings.Entries[i].Kind == EntryKind::Key) {
            point = i + 1;
        }
    }
    return point;
}

void WriteValue(const std::string& key, const std::string& value) {
    if (!settings.IsOpen) {
        return;
    }
    if (!settings.PendingGroup.empty()) {
        settings.Entries.push_back({EntryKind::Group, settings.PendingGroup, {}});
        settings.CurrentGroup = settings.Entries.size() - 1;
        settings.PendingGroup.clear();
    }
    if (const auto found = FindKey(key)) {
        settings.Entries[*found].Name = key;
        settings.Entries[*found].Value = value;
    } else {
        const auto at = settings.Entries.begin() + static_cast<std::ptrdiff_t>(InsertionPoint());
        settings.Entries.insert(at, {EntryKind::Key, key, value});
    }
    settings.Modified = true;
}

} // namespace

void OpenSettings(const std::string& fileName) {
    CloseSettings();
    std::string bytes;
    const FileAccess access = ReadWholeFile(fileName, bytes);
    ParsedSettings parsed = ParseSettings(bytes);
    settings.IsOpen = true;
    settings.Name = fileName;
    settings.Entries = std::move(parsed.Entries);
    settings.Utf8 = parsed.Utf8;
    settings.WritesKept = access != FileAccess::ReadOnly;
}

bool CreateSettings(const std::string& fileName) {
    CloseSettings();
    Replacement created;
    if (!BeginReplacement(fileName, created)) {
        return false;
    }
    settings.IsOpen = true;
    settings.Name = fileName;
    settings.Created = std::move(created);
    return true;
}

void SelectGroup(const std::string& group) {
    settings.CurrentGroup.reset();
    settings.PendingGroup.clear();
    if (group.empty()) {
        return;
    }
    const std::string wanted = WantedName(group);
    for (std::size_t i = 0; i < settings.Entries.size(); ++i) {
        const SettingsEntry& entry = settings.Entries[i];
        if (entry.Kind == EntryKind::Group && EqualIgnoringAsciiCase(entry.Name, wanted)) {
            settings.CurrentGroup = i;
            return;
        }
    }
    settings.PendingGroup = group;
}

int32_t ReadNumber(const std::string& key, int32_t defaultValue) {
    const auto found = FindKey(key);
    return found ? ValueToNumber(settings.Entries[*found].Value) : defaultValue;
}

std::string ReadText(const std::string& key, const std::string& defaultValue) {
    const auto found = FindKey(key);
    if (!found) {
        return defaultValue;
    }
    const std::string_view value =
        TrimTrailingBlanks(TrimLeadingBlanks(settings.Entries[*found].Value));
    return settings.Utf8 ? Utf8ToSingleByte(value) : std::string(value);
}

void WriteNumber(const std::string& key, int64_t value) {
    WriteValue(key, NumberToValue(value));
}

void WriteText(const std::string& key, const std::string& value) {
    WriteValue(key, value);
}

void CloseSettings() {
    if (!settings.Created.Target.empty()) {
        // A created file replaces the old one even when it stays empty.
        FinishReplacement(settings.Created,
                          settings.Modified ? FormatSettings(settings.Entries) : std::string());
    } else if (settings.IsOpen && settings.Modified && settings.WritesKept) {
        Replacement rewrite;
        if (BeginReplacement(settings.Name, rewrite)) {
            FinishReplacement(rewrite, FormatSettings(settings.Entries));
        }
    }
    settings = {};
}
