#pragma once
// Positions and horizontal offsets within one display row.

#include <cstdint>

#include "ui/textview/GlyphAdvances.h"
#include "ui/textview/WrapLayout.h"

// End of the row's visible bytes: before the CR, LF or CR LF that ends it, if any.
std::uint64_t RowContentEnd(const TextStore& text, std::uint64_t rowBegin, std::uint64_t rowEnd);

// Offset of pos from the row's start, pos within [rowBegin, contentEnd].
std::int64_t XOfPosition(const TextStore& text, const GlyphAdvances& glyphs, std::uint64_t rowBegin,
                         std::uint64_t pos);

// The position nearest to x in the row: before a byte when x is left of its middle.
std::uint64_t PositionAtX(const TextStore& text, const GlyphAdvances& glyphs,
                          std::uint64_t rowBegin, std::uint64_t contentEnd, std::int64_t x);

// The byte whose box holds x, or the row's last visible byte right of it; rowBegin when the row
// shows nothing.
std::uint64_t ByteAtX(const TextStore& text, const GlyphAdvances& glyphs, std::uint64_t rowBegin,
                      std::uint64_t contentEnd, std::int64_t x);
