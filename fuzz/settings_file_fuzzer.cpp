// The settings file through real files: reads of any file with any group and key names give what
// the lookup rules give and leave the file as it was; values written under any names read back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>

#include "FuzzCheck.h"
#include "storage/SettingsFile.h"
#include "storage/SettingsSyntax.h"
#include "storage/SettingsValues.h"

namespace {

// One scratch directory per run, under TMPDIR or else on a memory file system when there is one,
// since every save syncs to the disk. Kept in a plain array, which the clean-up at exit can still
// read after the strings of the program are gone.
char scratchDirectory[4096];

const char* ScratchDirectory() {
    if (scratchDirectory[0] == '\0') {
        const char* tmp = std::getenv("TMPDIR");
        const std::string base = (tmp != nullptr && *tmp != '\0') ? tmp
                                 : access("/dev/shm", W_OK) == 0  ? "/dev/shm"
                                                                  : "/tmp";
        const std::string pattern = base + "/comterm-fuzz-XXXXXX";
        FUZZ_CHECK(pattern.size() < sizeof scratchDirectory);
        pattern.copy(scratchDirectory, pattern.size());
        FUZZ_CHECK(mkdtemp(scratchDirectory) != nullptr);
        std::atexit([] {
            char name[sizeof scratchDirectory + 16];
            std::snprintf(name, sizeof name, "%s/Setting.ini", scratchDirectory);
            unlink(name);
            rmdir(scratchDirectory);
        });
    }
    return scratchDirectory;
}

std::string ReadFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file << bytes;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

std::string Folded(std::string name) {
    for (char& c : name)
        c = Lower(c);
    return name;
}

// The lookup rules over parsed entries: the current section is a header's index, none for the
// ungrouped keys, or pending when the selected group does not exist.
class ReferenceReader {
  public:
    explicit ReferenceReader(const std::string& bytes) : parsed_(ParseSettings(bytes)) {}

    void select(const std::string& group) {
        section_.reset();
        pending_ = false;
        if (group.empty())
            return;
        for (std::size_t i = 0; i < parsed_.Entries.size(); ++i) {
            const SettingsEntry& entry = parsed_.Entries[i];
            if (entry.Kind == EntryKind::Group && SameName(entry.Name, wanted(group))) {
                section_ = i;
                return;
            }
        }
        pending_ = true;
    }

    std::optional<std::string> find(const std::string& key) const {
        if (pending_)
            return std::nullopt;
        for (std::size_t i = section_ ? *section_ + 1 : 0; i < parsed_.Entries.size(); ++i) {
            const SettingsEntry& entry = parsed_.Entries[i];
            if (entry.Kind == EntryKind::Group)
                break;
            if (entry.Kind == EntryKind::Key && SameName(entry.Name, wanted(key)))
                return entry.Value;
        }
        return std::nullopt;
    }

    std::string text(const std::string& value) const {
        const std::string trimmed(TrimTrailingBlanks(TrimLeadingBlanks(value)));
        return parsed_.Utf8 ? Utf8ToSingleByte(trimmed) : trimmed;
    }

  private:
    std::string wanted(const std::string& name) const {
        return parsed_.Utf8 ? SingleByteToUtf8(name) : name;
    }

    ParsedSettings parsed_;
    std::optional<std::size_t> section_;
    bool pending_ = false;
};

// Any name and default: reads agree with the reference, and the file is not touched.
void CheckReads(const std::string& path, const std::string& bytes, FuzzedDataProvider& input) {
    WriteFile(path, bytes);
    OpenSettings(path);
    ReferenceReader reference(bytes);
    for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
        const int op = input.ConsumeIntegralInRange(0, 2);
        const std::string name = input.ConsumeRandomLengthString(24);
        if (op == 0) {
            SelectGroup(name);
            reference.select(name);
        } else if (op == 1) {
            const auto fallback = input.ConsumeIntegral<int32_t>();
            const auto found = reference.find(name);
            FUZZ_CHECK(ReadNumber(name, fallback) == (found ? ValueToNumber(*found) : fallback));
        } else {
            const std::string fallback = input.ConsumeRandomLengthString(8);
            const auto found = reference.find(name);
            FUZZ_CHECK(ReadText(name, fallback) == (found ? reference.text(*found) : fallback));
        }
    }
    CloseSettings();
    FUZZ_CHECK(ReadFile(path) == bytes);
}

// Names and values as the program could write them: no line breaks, a key name that reads back
// as itself, a group name without "]".
std::string WritableKey(std::string name) {
    std::erase_if(name, [](char c) { return c == '\r' || c == '\n' || c == '='; });
    name = std::string(TrimTrailingBlanks(TrimLeadingBlanks(name)));
    // ";" and "[" start other lines, and EF BB BF at the file's start is the byte-order mark.
    if (!name.empty() && (name[0] == ';' || name[0] == '[' || name[0] == '\xEF'))
        name.insert(0, "k");
    return name;
}

std::string WritableGroup(std::string name) {
    std::erase_if(name, [](char c) { return c == '\r' || c == '\n' || c == ']'; });
    return name;
}

std::string WritableValue(std::string value) {
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
    return value;
}

// The last text written to each group and key, and whether every text written is in the form
// that reads back byte for byte (a value's leading blanks are not).
struct Written {
    std::map<std::pair<std::string, std::string>, std::string> Values;
    bool Canonical = true;
};

// Selects and writes from the input; remembers the last text written to each group and key.
Written WriteFromInput(FuzzedDataProvider& input) {
    Written written;
    std::string group;
    for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
        const int op = input.ConsumeIntegralInRange(0, 2);
        if (op == 0) {
            group = WritableGroup(input.ConsumeRandomLengthString(16));
            SelectGroup(group);
            continue;
        }
        const std::string key = WritableKey(input.ConsumeRandomLengthString(16));
        std::string value;
        if (op == 1) {
            const auto number = input.ConsumeIntegral<int64_t>();
            WriteNumber(key, number);
            value = NumberToValue(number);
        } else {
            value = WritableValue(input.ConsumeRandomLengthString(24));
            WriteText(key, value);
        }
        written.Canonical = written.Canonical && TrimLeadingBlanks(value).size() == value.size();
        written.Values[{Folded(group), Folded(key)}] = std::string(TrimLeadingBlanks(value));
    }
    return written;
}

void CheckWrittenValues(const std::string& path, const Written& written) {
    OpenSettings(path);
    for (const auto& [where, value] : written.Values) {
        SelectGroup(where.first);
        FUZZ_CHECK(ReadText(where.second, "\x01missing") == TrimTrailingBlanks(value));
        FUZZ_CHECK(ReadNumber(where.second, 0) == ValueToNumber(value));
    }
    CloseSettings();
}

// A file created anew holds exactly what was written, in the canonical written form.
void CheckCreate(const std::string& path, FuzzedDataProvider& input) {
    FUZZ_CHECK(CreateSettings(path));
    const Written written = WriteFromInput(input);
    CloseSettings();
    const std::string bytes = ReadFile(path);
    FUZZ_CHECK(written.Values.empty() == bytes.empty());
    if (written.Canonical)
        FUZZ_CHECK(FormatSettings(ParseSettings(bytes).Entries) == bytes);
    CheckWrittenValues(path, written);
}

// Writes into a file that was read, which the program itself never makes, still read back.
void CheckRewrite(const std::string& path, const std::string& bytes, FuzzedDataProvider& input) {
    WriteFile(path, bytes);
    OpenSettings(path);
    const Written written = WriteFromInput(input);
    CloseSettings();
    const std::string rewritten = ReadFile(path);
    if (written.Values.empty()) {
        FUZZ_CHECK(rewritten == bytes);
        return;
    }
    // Single-byte names compare only within a single-byte file.
    if (!bytes.starts_with("\xEF\xBB\xBF") && !rewritten.starts_with("\xEF\xBB\xBF"))
        CheckWrittenValues(path, written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string path = std::string(ScratchDirectory()) + "/Setting.ini";
    const std::string bytes = input.ConsumeRandomLengthString(4096);
    switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
        CheckReads(path, bytes, input);
        break;
    case 1:
        CheckCreate(path, input);
        break;
    default:
        CheckRewrite(path, bytes, input);
        break;
    }
    return 0;
}
