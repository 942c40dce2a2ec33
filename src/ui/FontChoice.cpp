#include "ui/FontChoice.h"

FontChoice ChooserPreset(const FontSettings& font) {
    return {
        .face = font.Name,
        .weight = font.Style & Bold ? kBoldWeight : 0,
        .italic = (font.Style & Italic) != 0,
        .underline = (font.Style & Underline) != 0,
        .strikeOut = (font.Style & StrikeOut) != 0,
        .color = font.Color == kAutomaticColour ? 0 : font.Color,
    };
}

FontSettings ChosenFontSettings(const FontChoice& chosen, int tenthsOfPoint) {
    return {
        .Name = chosen.face.substr(0, kMaxFaceNameLength),
        .Size = tenthsOfPoint / 10,
        .Style = (chosen.weight == kBoldWeight ? Bold : 0) | (chosen.italic ? Italic : 0) |
                 (chosen.underline ? Underline : 0) | (chosen.strikeOut ? StrikeOut : 0),
        .Color = chosen.color,
    };
}
