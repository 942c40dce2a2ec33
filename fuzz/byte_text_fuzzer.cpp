// Display text of received bytes: Hex is three characters per byte, Bin nine, Char the byte
// itself except 0, and any other mode nothing; each group reads back as its byte.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "shared/TerminalState.h"
#include "FuzzCheck.h"
#include "serial/AppendByteText.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1; // lower case is not shown
}

void CheckGroup(int32_t mode, unsigned char byte, const std::string& group) {
    switch (mode) {
    case Hex:
        FUZZ_CHECK(group.size() == 3);
        FUZZ_CHECK(group[2] == ' ');
        FUZZ_CHECK(HexDigitValue(group[0]) >= 0 && HexDigitValue(group[1]) >= 0);
        FUZZ_CHECK(HexDigitValue(group[0]) * 16 + HexDigitValue(group[1]) == byte);
        break;
    case Char:
        FUZZ_CHECK(group.size() == (byte == 0 ? 0u : 1u));
        FUZZ_CHECK(byte == 0 || static_cast<unsigned char>(group[0]) == byte);
        break;
    case Bin: {
        FUZZ_CHECK(group.size() == 9);
        FUZZ_CHECK(group[8] == ' ');
        int value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            FUZZ_CHECK(group[bit] == '0' || group[bit] == '1');
            value = value * 2 + (group[bit] - '0');
        }
        FUZZ_CHECK(value == byte);
        break;
    }
    default:
        FUZZ_CHECK(group.empty());
        break;
    }
}

} // namespace

// The first four bytes choose the mode (any 32-bit value); the rest are the received bytes,
// where a byte 0xFE followed by a mode byte switches between the three modes midway.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    int32_t mode = 0;
    std::memcpy(&mode, data, sizeof mode);
    // Most inputs should exercise the three real modes.
    if (mode >= 0 && mode < 0x7000'0000)
        mode %= 3;
    std::string chunk = "prefix";
    std::string expected = chunk;
    for (std::size_t i = 4; i < size; ++i) {
        if (data[i] == 0xFE && i + 1 < size) {
            mode = static_cast<int32_t>(data[++i] % 4);
            continue;
        }
        std::string group;
        AppendByteText(group, mode, data[i]);
        CheckGroup(mode, data[i], group);
        // Appending adds to the chunk and never changes what it held.
        const std::size_t before = chunk.size();
        AppendByteText(chunk, mode, data[i]);
        FUZZ_CHECK(chunk.compare(0, before, expected) == 0);
        FUZZ_CHECK(chunk.substr(before) == group);
        expected += group;
    }
    FUZZ_CHECK(chunk == expected);
    return 0;
}
