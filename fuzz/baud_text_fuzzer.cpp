// The typed baud rate: any text gives a number, and the number follows the digits read.

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "serial/ParseBaudText.h"

namespace {

// The digits the parser would read after an optional sign, "$" or "%", with their base.
std::string DigitRun(const std::string& text, std::size_t from, int base) {
    std::size_t end = from;
    const auto fits = [base](char c) {
        if (base == 2)
            return c == '0' || c == '1';
        if (base == 10)
            return c >= '0' && c <= '9';
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    while (end < text.size() && fits(text[end]))
        ++end;
    return text.substr(from, end - from);
}

// The value of a digit run, wrapped to 64 bits, computed digit by digit from the end.
uint64_t RunValue(const std::string& digits, int base) {
    uint64_t value = 0;
    uint64_t weight = 1;
    for (std::size_t i = digits.size(); i-- > 0;) {
        uint64_t digit = 0;
        std::from_chars(&digits[i], &digits[i] + 1, digit, 16);
        value += digit * weight;
        weight *= static_cast<uint64_t>(base);
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int64_t parsed = ParseBaudText(text);

    // Leading spaces and tabs do not count, and "+" changes nothing.
    FUZZ_CHECK(ParseBaudText(" \t" + text) == parsed);

    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos)
        i = text.size();
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == '%')) {
        base = text[i] == '$' ? 16 : 2;
        ++i;
    }
    const std::string digits = DigitRun(text, i, base);
    const uint64_t magnitude = RunValue(digits, base);
    FUZZ_CHECK(static_cast<uint64_t>(parsed) == (negative ? 0 - magnitude : magnitude));

    // A minus sign in front negates, in 64-bit wrap-around.
    const std::size_t start = std::min(text.find_first_not_of(" \t"), text.size());
    const std::string rest = text.substr(start);
    if (rest.empty() || (rest[0] != '+' && rest[0] != '-'))
        FUZZ_CHECK(static_cast<uint64_t>(ParseBaudText("-" + rest)) ==
                   0 - static_cast<uint64_t>(parsed));
    // A short decimal run reads like the standard conversion.
    if (base == 10 && !digits.empty() && digits.size() <= 18) {
        int64_t expected = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), expected);
        FUZZ_CHECK(parsed == (negative ? -expected : expected));
    }
    return 0;
}
