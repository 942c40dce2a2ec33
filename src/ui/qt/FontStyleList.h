#pragma once
// The styles a font chooser offers for a family: the weights and slants the family really has,
// plus regular, italic, bold and bold italic, which any font can be drawn in.

#include <compare>
#include <QString>
#include <vector>

struct FontStyleEntry {
    int weight = 400; // 100 to 900, as the font itself declares it
    bool italic = false;

    auto operator<=>(const FontStyleEntry&) const = default;
};

// Sorted by weight, upright before slanted, without repeats.
std::vector<FontStyleEntry> FamilyStyles(const QString& family);

QString StyleName(const FontStyleEntry& style);
