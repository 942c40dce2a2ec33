// The line Enter sends: always the field that the last line feed ends, without CR or LF.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "serial/ExtractLineToSend.h"

namespace {

// Counts the line feeds, splits at them and takes field n, as the rule is stated.
std::string FieldEndedByLastLineFeed(const std::string& text) {
    const auto n = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (n == 0)
        return {};
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == '\n')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    std::string line;
    for (const char c : fields[n - 1]) {
        if (c != '\r' && c != '\n')
            line += c;
    }
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string line = ExtractLineToSend(text);
    FUZZ_CHECK(line.find('\r') == std::string::npos);
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    FUZZ_CHECK(line.size() <= text.size());
    FUZZ_CHECK(line == FieldEndedByLastLineFeed(text));
    // Typing on after the last line feed does not change what is sent.
    FUZZ_CHECK(ExtractLineToSend(text + "typed\r") == line);
    return 0;
}
