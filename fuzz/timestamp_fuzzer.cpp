// Log names: any mask with any date whose fields are in range gives the text the token rules
// give, with every field at its width.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "FuzzCheck.h"
#include "storage/ReceiveLog.h"

namespace {

bool StartsWithToken(const std::string& mask, std::size_t at, const char* token) {
    for (std::size_t k = 0; token[k] != '\0'; ++k) {
        if (at + k >= mask.size() ||
            std::tolower(static_cast<unsigned char>(mask[at + k])) != token[k])
            return false;
    }
    return true;
}

std::string Digits(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

// The mask read left to right: "%" and a token give the field, anything else is copied.
std::string Expected(const std::string& mask, const std::tm& t) {
    const int year = t.tm_year + 1900;
    const struct {
        const char* token;
        int value;
        int width;
    } fields[] = {{"yyyy", year, 4},    {"yy", year % 100, 2}, {"mm", t.tm_mon + 1, 2},
                  {"dd", t.tm_mday, 2}, {"hh", t.tm_hour, 2},  {"ii", t.tm_min, 2},
                  {"ss", t.tm_sec, 2}};
    std::string text;
    for (std::size_t i = 0; i < mask.size();) {
        bool replaced = false;
        if (mask[i] == '%') {
            for (const auto& field : fields) {
                if (StartsWithToken(mask, i + 1, field.token)) {
                    text += Digits(field.value, field.width);
                    i += 1 + std::char_traits<char>::length(field.token);
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            text += mask[i++];
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::tm t{};
    // Years of four digits; the program's own dates lie within 1970 to 2038.
    t.tm_year = input.ConsumeIntegralInRange(1000, 9999) - 1900;
    t.tm_mon = input.ConsumeIntegralInRange(0, 11);
    t.tm_mday = input.ConsumeIntegralInRange(1, 31);
    t.tm_hour = input.ConsumeIntegralInRange(0, 23);
    t.tm_min = input.ConsumeIntegralInRange(0, 59);
    t.tm_sec = input.ConsumeIntegralInRange(0, 60); // a leap second
    const std::string mask = input.ConsumeRemainingBytesAsString();

    const std::string text = FormatTimestamp(mask, t);
    FUZZ_CHECK(text == Expected(mask, t));

    // The log's own mask always gives a name of fixed length.
    const std::string name = FormatTimestamp("%hh_%ii_%ss__%mm_%dd_%yyyy", t);
    FUZZ_CHECK(name.size() == 20);
    FUZZ_CHECK(name == Expected("%hh_%ii_%ss__%mm_%dd_%yyyy", t));
    return 0;
}
