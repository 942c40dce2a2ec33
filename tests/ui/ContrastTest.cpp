#include <gtest/gtest.h>

#include "ui/Contrast.h"

// Black on the bases of Adwaita:dark and qt6ct's darker scheme, as the issue measured them;
// a grey that reads on neither its base nor white still gets the better of the two, unless that
// stays below 3:1: light text on a light desktop gets black.
TEST(Contrast, RatiosAndTheBackgroundChosenForAFixedColour) {
    EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), 21.0);
    EXPECT_NEAR(ContrastRatio(kBlack, Rgb{0x24, 0x24, 0x24}), 1.35, 0.005);
    EXPECT_NEAR(ContrastRatio(Rgb{0x3D, 0x3D, 0x3D}, kBlack), 1.93, 0.005);
    const Rgb grey{0x80, 0x80, 0x80}, darkBase{0x2D, 0x2D, 0x2D}, lightBase{0xF0, 0xF0, 0xF0};
    EXPECT_EQ(BackgroundForText(grey, darkBase), kWhite); // 3.49 against 3.95
    EXPECT_EQ(BackgroundForText(kWhite, darkBase), darkBase);
    EXPECT_EQ(BackgroundForText(kWhite, lightBase), kBlack);
    EXPECT_EQ(BackgroundForText(Rgb{255, 255, 0}, kWhite), kBlack);    // yellow, 1.07
    EXPECT_EQ(BackgroundForText(Rgb{0, 255, 255}, lightBase), kBlack); // cyan, 1.10
    EXPECT_EQ(BackgroundForText(Rgb{255, 0, 0}, lightBase), kWhite);   // red, 4.00
    EXPECT_EQ(ColorOnBackground(grey, darkBase, kCaretContrast), grey);
    EXPECT_EQ(ColorOnBackground(grey, darkBase, kTextContrast), kWhite);
}
