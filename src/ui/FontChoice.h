#pragma once
// What the font chooser starts with and what its choice becomes in FontSettings, for every
// window layer; each layer only carries these to and from its own chooser. The sizes stay with
// the layers, which measure them their own way.

#include <string>

#include "shared/TerminalState.h"

inline constexpr int kBoldWeight = 700;

// The chooser's fields in the terms both choosers share.
struct FontChoice {
    std::string face; // Windows-1251
    int weight = 0;   // 0 where the font names none: the chooser's regular weight
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int32_t color = 0; // red | green << 8 | blue << 16; the chooser has no automatic colour
};

// The stored font as the chooser starts from it: bold as kBoldWeight, the automatic colour as
// black, proof quality dropped.
FontChoice ChooserPreset(const FontSettings& font);

// The chosen font as stored: only exactly kBoldWeight is bold, lighter and heavier weights
// fall back to regular; the face is cut to kMaxFaceNameLength and the size to whole points.
FontSettings ChosenFontSettings(const FontChoice& chosen, int tenthsOfPoint);
