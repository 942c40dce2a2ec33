#pragma once
// How readable one colour is on another, by the WCAG 2 contrast ratio, and the colours both
// window layers choose with it for the text controls.

#include <cstdint>

// A colour of the screen, 8 bits a channel in sRGB.
struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// What text needs on its background, and a caret on the background it stands on.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kCaretContrast = 3.0;
// Less than this on the background chosen for text, and the background becomes black.
inline constexpr double kLeastTextContrast = 3.0;

// 0 for black to 1 for white.
double RelativeLuminance(Rgb color);
// From 1 (the same luminance) to 21 (black on white), in either order.
double ContrastRatio(Rgb a, Rgb b);

// The background for text in a colour the user fixed: the desktop's base colour when the text
// reaches kTextContrast on it, otherwise whichever of base and white gives the higher ratio
// (base when they tie); black where that one stays below kLeastTextContrast, as for white,
// yellow or cyan text on a light desktop; black then gives at least 7:1.
Rgb BackgroundForText(Rgb text, Rgb base);

// `wanted` where it reaches `minimum` on `background`, otherwise black or white, whichever
// stands out more; either reaches at least 4.58 on any background.
Rgb ColorOnBackground(Rgb wanted, Rgb background, double minimum);
