#include "storage/SettingsSyntax.h"

#include "storage/SettingsValues.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

void ParseLine(std::string_view line, std::vector<SettingsEntry>& entries) {
    line = TrimLeadingBlanks(line);
    if (line.empty()) {
        return;
    }
    if (line.front() == ';') {
        line.remove_prefix(1);
        if (!line.empty() && line.front() == ' ') {
            line.remove_prefix(1);
        }
        entries.push_back({EntryKind::Comment, std::string(line), {}});
        return;
    }
    if (line.front() == '[') {
        line.remove_prefix(1);
        entries.push_back({EntryKind::Group, std::string(line.substr(0, line.find(']'))), {}});
        return;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        entries.push_back({EntryKind::Key, std::string(TrimTrailingBlanks(line)), {}});
        return;
    }
    entries.push_back({EntryKind::Key, std::string(TrimTrailingBlanks(line.substr(0, equals))),
                       std::string(TrimLeadingBlanks(line.substr(equals + 1)))});
}

} // namespace

ParsedSettings ParseSettings(std::string_view bytes) {
    ParsedSettings parsed;
    if (bytes.starts_with(kByteOrderMark)) {
        parsed.Utf8 = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && !IsLineEnd(bytes[end])) {
            ++end;
        }
        ParseLine(bytes.substr(start, end - start), parsed.Entries);
        while (end < bytes.size() && IsLineEnd(bytes[end])) {
            ++end;
        }
        start = end;
    }
    return parsed;
}

std::string FormatSettings(const std::vector<SettingsEntry>& entries) {
    std::string text;
    for (const SettingsEntry& entry : entries) {
        switch (entry.Kind) {
        case EntryKind::Group:
            text += "[" + entry.Name + "]";
            break;
        case EntryKind::Comment:
            text += "; " + entry.Name;
            break;
        case EntryKind::Key:
            text += entry.Name + " = " + entry.Value;
            break;
        }
        text += "\r\n";
    }
    return text;
}
