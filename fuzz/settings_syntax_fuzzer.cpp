// Settings text: any bytes parse; writing the entries and reading them back gives the same
// entries; the value conversions undo each other.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "storage/SettingsSyntax.h"
#include "storage/SettingsValues.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool HasLineEnd(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

void CheckEntry(const SettingsEntry& entry) {
    FUZZ_CHECK(!HasLineEnd(entry.Name) && !HasLineEnd(entry.Value));
    switch (entry.Kind) {
    case EntryKind::Group:
        FUZZ_CHECK(entry.Name.find(']') == std::string::npos);
        FUZZ_CHECK(entry.Value.empty());
        break;
    case EntryKind::Comment:
        FUZZ_CHECK(entry.Value.empty());
        break;
    case EntryKind::Key:
        FUZZ_CHECK(entry.Name.find('=') == std::string::npos);
        FUZZ_CHECK(entry.Name.empty() ||
                   (!IsBlank(entry.Name.front()) && !IsBlank(entry.Name.back()) &&
                    entry.Name.front() != ';' && entry.Name.front() != '['));
        FUZZ_CHECK(entry.Value.empty() || !IsBlank(entry.Value.front()));
        break;
    }
}

// The reference reading of a number: 64-bit accumulation, then the low 32 bits.
int32_t ExpectedNumber(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && std::strchr(" \t\n\v\f\r", value[i]) != nullptr && value[i] != 0)
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
        negative = value[i++] == '-';
    uint64_t magnitude = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        magnitude = magnitude * 10 + static_cast<uint64_t>(value[i] - '0');
    const uint64_t wrapped = negative ? 0 - magnitude : magnitude;
    return static_cast<int32_t>(static_cast<uint32_t>(wrapped));
}

void CheckValues(std::string_view bytes) {
    // Trimming keeps a part of the text and removes exactly the blanks of its end.
    const std::string_view lead = TrimLeadingBlanks(bytes);
    FUZZ_CHECK(bytes.ends_with(lead) && (lead.empty() || !IsBlank(lead.front())));
    for (const char c : bytes.substr(0, bytes.size() - lead.size()))
        FUZZ_CHECK(IsBlank(c));
    const std::string_view trail = TrimTrailingBlanks(bytes);
    FUZZ_CHECK(bytes.starts_with(trail) && (trail.empty() || !IsBlank(trail.back())));
    for (const char c : bytes.substr(trail.size()))
        FUZZ_CHECK(IsBlank(c));

    FUZZ_CHECK(ValueToNumber(bytes) == ExpectedNumber(bytes));

    // Single bytes survive the trip through UTF-8; arbitrary UTF-8 never grows.
    const std::string utf8 = SingleByteToUtf8(bytes);
    FUZZ_CHECK(Utf8ToSingleByte(utf8) == bytes);
    FUZZ_CHECK(Utf8ToSingleByte(bytes).size() <= bytes.size());

    if (bytes.size() >= 8) {
        int64_t number = 0;
        std::memcpy(&number, bytes.data(), sizeof number);
        const std::string written = NumberToValue(number);
        FUZZ_CHECK(ValueToNumber(written) == static_cast<int32_t>(static_cast<uint32_t>(number)));
        FUZZ_CHECK(written.find('+') == std::string::npos);
        FUZZ_CHECK(written == "0" || (written.front() != '0' && written.substr(0, 2) != "-0"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ParsedSettings parsed = ParseSettings(bytes);
    FUZZ_CHECK(parsed.Utf8 == bytes.starts_with(kByteOrderMark));
    for (const SettingsEntry& entry : parsed.Entries)
        CheckEntry(entry);

    const std::string text = FormatSettings(parsed.Entries);
    FUZZ_CHECK(text.empty() || text.ends_with("\r\n"));
    const ParsedSettings again = ParseSettings(text);
    // A file's first three bytes EF BB BF are always read as the byte-order mark, so a first key
    // whose name begins with them cannot be written back as it was read.
    const bool firstNameLooksLikeMark =
        !parsed.Entries.empty() && parsed.Entries.front().Kind == EntryKind::Key &&
        std::string_view(parsed.Entries.front().Name).starts_with(kByteOrderMark);
    if (!firstNameLooksLikeMark) {
        FUZZ_CHECK(!again.Utf8);
        FUZZ_CHECK(again.Entries == parsed.Entries);
        // The written form is stable.
        FUZZ_CHECK(FormatSettings(again.Entries) == text);
    }

    CheckValues(bytes);
    return 0;
}
