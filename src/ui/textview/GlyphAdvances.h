#pragma once
// Horizontal advances of the view's font, per byte, in the window layer's own integer units.

#include <array>
#include <cstdint>

struct GlyphAdvances {
    std::array<std::int32_t, 256> advance{}; // tab, CR and LF entries are not used
    std::int32_t tabStop = 0;                // tab stops every tabStop units; 0 gives tabs no width

    bool operator==(const GlyphAdvances&) const = default;
};

// Advance of byte b when it starts at x units from the start of its row.
inline std::int64_t AdvanceAt(const GlyphAdvances& glyphs, unsigned char b, std::int64_t x) {
    if (b != '\t')
        return glyphs.advance[b];
    return glyphs.tabStop > 0 ? glyphs.tabStop - x % glyphs.tabStop : 0;
}
