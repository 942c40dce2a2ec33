#pragma once
// Fixed glyph widths and row listings for the text view tests.

#include <string>
#include <vector>

#include "ui/textview/TextViewModel.h"

// Every byte 10 units wide, tab stops every 8 characters.
inline GlyphAdvances UniformGlyphs(std::int32_t advance = 10) {
    GlyphAdvances glyphs;
    glyphs.advance.fill(advance);
    glyphs.tabStop = 8 * advance;
    return glyphs;
}

// A model wrapping at columns characters of UniformGlyphs().
inline void SetColumns(TextViewModel& model, int columns) {
    model.setGlyphs(UniformGlyphs());
    model.setWidth(columns * 10);
}

inline std::vector<std::string> Rows(const TextViewModel& model) {
    std::vector<std::string> rows;
    for (std::uint64_t row = 0; row < model.rowCount(); ++row) {
        const RowSpan span = model.row(row);
        rows.push_back(model.text(span.begin, span.end));
    }
    return rows;
}

// Hexadecimal groups as the receive pump shows them: "00 01 ... " for count bytes.
inline std::string HexText(std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[(i >> 4) & 15];
        text += digits[i & 15];
        text += ' ';
    }
    return text;
}
