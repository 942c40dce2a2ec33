#include "storage/SettingsValues.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence a lead byte starts, or 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        return 4;
    }
    return 0;
}

} // namespace

std::string_view TrimLeadingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

int32_t ValueToNumber(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && IsWhiteSpace(value[i])) {
        ++i;
    }
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    // Too many digits keep the low 32 bits, the same bits a wider number is written with.
    uint32_t magnitude = 0;
    for (; i < value.size() && IsDigit(value[i]); ++i) {
        magnitude = magnitude * 10 + static_cast<uint32_t>(value[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

std::string NumberToValue(int64_t number) {
    return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(number)));
}

std::string SingleByteToUtf8(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | byte >> 6);
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::string Utf8ToSingleByte(std::string_view text) {
    std::string bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = SequenceLength(lead);
        std::size_t complete = length == 0 ? 0 : 1;
        while (complete > 0 && complete < length && i + complete < text.size() &&
               IsContinuation(static_cast<unsigned char>(text[i + complete]))) {
            ++complete;
        }
        if (length == 0 || complete < length) {
            ++i; // a byte that fits no sequence
            continue;
        }
        if (length == 1) {
            bytes += text[i];
        } else if (length == 2) {
            const unsigned codePoint =
                (lead & 0x1Fu) << 6 | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            bytes += codePoint < 0x100 ? static_cast<char>(codePoint) : '?';
        } else {
            bytes += '?';
        }
        i += length;
    }
    return bytes;
}
