#include "serial/AppendByteText.h"

#include <array>

#include "shared/TerminalState.h"

namespace {

// Every byte of a fast link passes through here, so the groups are looked up, not formatted.
using HexGroups = std::array<std::array<char, 3>, 256>;
using BinGroups = std::array<std::array<char, kLongestByteText>, 256>;

constexpr HexGroups MakeHexGroups() {
    constexpr char digits[] = "0123456789ABCDEF";
    HexGroups groups{};
    for (int b = 0; b < 256; ++b)
        groups[b] = {digits[b >> 4], digits[b & 15], ' '};
    return groups;
}

constexpr BinGroups MakeBinGroups() {
    BinGroups groups{};
    for (int b = 0; b < 256; ++b) {
        for (int bit = 0; bit < 8; ++bit)
            groups[b][bit] = (b >> (7 - bit)) & 1 ? '1' : '0';
        groups[b][8] = ' ';
    }
    return groups;
}

constexpr HexGroups kHexGroups = MakeHexGroups();
constexpr BinGroups kBinGroups = MakeBinGroups();

} // namespace

void AppendByteText(std::string& chunk, int32_t inputMode, unsigned char byte) {
    switch (inputMode) {
    case Hex:
        chunk.append(kHexGroups[byte].data(), kHexGroups[byte].size());
        break;
    case Char:
        // A zero byte would end the text, so it never becomes one.
        if (byte != 0)
            chunk.push_back(static_cast<char>(byte));
        break;
    case Bin:
        chunk.append(kBinGroups[byte].data(), kBinGroups[byte].size());
        break;
    default:
        break;
    }
}
