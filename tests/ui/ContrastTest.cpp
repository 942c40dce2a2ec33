#include <gtest/gtest.h>

#include "ui/Contrast.h"

namespace {

constexpr Rgb Rgb24(std::uint32_t rgb) {
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)};
}

} // namespace

TEST(Contrast, RatiosAsWcag2MeasuresThem) {
    const struct {
        std::uint32_t a, b;
        double ratio;
    } pairs[] = {
        {0x000000, 0xFFFFFF, 21.0},  {0xFFFFFF, 0x000000, 21.0},  {0x777777, 0x777777, 1.0},
        {0x000000, 0x242424, 1.353}, // black on an Adwaita-dark-like base
        {0x000000, 0x3D3D3D, 1.933}, // and on a qt6ct-darker-like one
        {0xEEEEEE, 0x2D2D2D, 11.87}, {0x808080, 0xFFFFFF, 3.949}, {0xFFFFFF, 0x308CC6, 3.689},
    };
    for (const auto& pair : pairs)
        EXPECT_NEAR(ContrastRatio(Rgb24(pair.a), Rgb24(pair.b)), pair.ratio, 0.001) << pair.a;
    EXPECT_DOUBLE_EQ(RelativeLuminance(kWhite), 1.0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(kBlack), 0.0);
}

TEST(Contrast, ChosenBackgroundsAndColours) {
    const struct {
        std::uint32_t text, base, background;
    } backgrounds[] = {
        {0x000000, 0x242424, 0xFFFFFF}, // black on a dark base: white
        {0x000000, 0xFFFFFF, 0xFFFFFF}, {0xEEEEEE, 0x2D2D2D, 0x2D2D2D},
        {0x808080, 0x2D2D2D, 0xFFFFFF}, // 3.49 on the base, 3.95 on white: still white
        {0xC0C0C0, 0x3D3D3D, 0x3D3D3D}, {0xFFFF00, 0xF0F0F0, 0xFFFFFF},
        {0xFFFFFF, 0xF0F0F0, 0xF0F0F0}, // white is no better than the base
    };
    for (const auto& row : backgrounds)
        EXPECT_EQ(BackgroundForText(Rgb24(row.text), Rgb24(row.base)), Rgb24(row.background))
            << row.text;

    EXPECT_EQ(ColorOnBackground(Rgb24(0xFFFFFF), Rgb24(0x308CC6), kTextContrast), kBlack);
    EXPECT_EQ(ColorOnBackground(Rgb24(0xFFFFFF), Rgb24(0x15539E), kTextContrast), kWhite);
    EXPECT_EQ(ColorOnBackground(Rgb24(0xFFFF00), Rgb24(0xFFFFFF), kCaretContrast), kBlack);
    EXPECT_EQ(ColorOnBackground(Rgb24(0xFFFF00), Rgb24(0x242424), kCaretContrast), Rgb24(0xFFFF00));
    EXPECT_EQ(ColorOnBackground(Rgb24(0x404040), Rgb24(0x242424), kCaretContrast), kWhite);
}
