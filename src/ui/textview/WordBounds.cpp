#include "ui/textview/WordBounds.h"

#include <algorithm>

#include "shared/Cp1251.h"

namespace {
enum class ByteKind { Word, Blank, Other };

ByteKind KindOf(char c) {
    const char16_t u = kCp1251ToUnicode[static_cast<unsigned char>(c)];
    const bool asciiWord = (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') ||
                           (u >= u'a' && u <= u'z') || u == u'_';
    const bool cyrillic = u >= 0x0400 && u <= 0x04FF;
    if (asciiWord || cyrillic)
        return ByteKind::Word;
    if (u == u' ' || u == u'\t')
        return ByteKind::Blank;
    return ByteKind::Other;
}
} // namespace

std::pair<std::uint64_t, std::uint64_t> WordAt(const TextStore& text, std::uint64_t pos) {
    if (pos >= text.size() || text[pos] == '\r' || text[pos] == '\n')
        return {pos, pos};
    const ByteKind kind = KindOf(text[pos]);
    if (kind == ByteKind::Other)
        return {pos, pos + 1};
    std::uint64_t begin = pos;
    const std::uint64_t lowest = pos > kMaxWordSide ? pos - kMaxWordSide : 0;
    while (begin > lowest && KindOf(text[begin - 1]) == kind)
        --begin;
    std::uint64_t end = pos + 1;
    const std::uint64_t highest = std::min(text.size(), pos + kMaxWordSide);
    while (end < highest && KindOf(text[end]) == kind)
        ++end;
    return {begin, end};
}

bool IsBlank(char c) {
    return KindOf(c) == ByteKind::Blank;
}
