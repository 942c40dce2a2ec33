#include "ui/textview/RowMeasure.h"

std::uint64_t RowContentEnd(const TextStore& text, std::uint64_t rowBegin, std::uint64_t rowEnd) {
    // Line breaks end their row, so only its last one or two bytes can be break bytes.
    std::uint64_t end = rowEnd;
    if (end > rowBegin && text[end - 1] == '\n')
        --end;
    if (end > rowBegin && text[end - 1] == '\r')
        --end;
    return end;
}

std::int64_t XOfPosition(const TextStore& text, const GlyphAdvances& glyphs, std::uint64_t rowBegin,
                         std::uint64_t pos) {
    std::int64_t x = 0;
    for (std::uint64_t i = rowBegin; i < pos; ++i)
        x += AdvanceAt(glyphs, static_cast<unsigned char>(text[i]), x);
    return x;
}

std::uint64_t PositionAtX(const TextStore& text, const GlyphAdvances& glyphs,
                          std::uint64_t rowBegin, std::uint64_t contentEnd, std::int64_t x) {
    std::int64_t left = 0;
    for (std::uint64_t i = rowBegin; i < contentEnd; ++i) {
        const std::int64_t advance = AdvanceAt(glyphs, static_cast<unsigned char>(text[i]), left);
        if (x < left + advance / 2)
            return i;
        left += advance;
    }
    return contentEnd;
}

std::uint64_t ByteAtX(const TextStore& text, const GlyphAdvances& glyphs, std::uint64_t rowBegin,
                      std::uint64_t contentEnd, std::int64_t x) {
    std::int64_t left = 0;
    for (std::uint64_t i = rowBegin; i < contentEnd; ++i) {
        left += AdvanceAt(glyphs, static_cast<unsigned char>(text[i]), left);
        if (x < left)
            return i;
    }
    return contentEnd > rowBegin ? contentEnd - 1 : rowBegin;
}
