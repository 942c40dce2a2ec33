#include <gtest/gtest.h>
#include <random>

#include "TextViewTestSupport.h"

using Strings = std::vector<std::string>;

namespace {
Strings Wrapped(const std::string& text, int columns) {
    TextViewModel model;
    SetColumns(model, columns);
    model.append(text);
    return Rows(model);
}
} // namespace

TEST(Wrap, HexGroupsBreakAfterTheSpaceAndTheSpaceMayHang) {
    EXPECT_EQ(Wrapped("41 42 43 44 45 ", 8), (Strings{"41 42 43 ", "44 45 "}));
    EXPECT_EQ(Wrapped("41 42 43 44 45 ", 7), (Strings{"41 42 ", "43 44 ", "45 "}));
}

TEST(Wrap, BinaryGroups) {
    EXPECT_EQ(Wrapped("00000101 10000000 ", 17), (Strings{"00000101 10000000 "}));
    EXPECT_EQ(Wrapped("00000101 10000000 ", 10), (Strings{"00000101 ", "10000000 "}));
}

TEST(Wrap, WordsWiderThanTheRowBreakAtTheWidth) {
    EXPECT_EQ(Wrapped("00000101 10000000 ", 5), (Strings{"00000", "101 ", "10000", "000 "}));
    EXPECT_EQ(Wrapped("abcdefghij", 4), (Strings{"abcd", "efgh", "ij"}));
    EXPECT_EQ(Wrapped("ab cdefghij", 4), (Strings{"ab ", "cdef", "ghij"}));
}

TEST(Wrap, CharacterText) {
    EXPECT_EQ(Wrapped("Hello world foo", 8), (Strings{"Hello ", "world ", "foo"}));
    EXPECT_EQ(Wrapped("\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0", 7),
              (Strings{"\xCF\xF0\xE8\xE2\xE5\xF2 ", "\xEC\xE8\xF0"}));
}

TEST(Wrap, LineBreaksAtCrLfAndCrLf) {
    EXPECT_EQ(Wrapped("a\rb\nc\r\nd", 10), (Strings{"a\r", "b\n", "c\r\n", "d"}));
    EXPECT_EQ(Wrapped("a\r\r\nb", 10), (Strings{"a\r", "\r\n", "b"}));
    EXPECT_EQ(Wrapped("a\n\rb", 10), (Strings{"a\n", "\r", "b"}));
    EXPECT_EQ(Wrapped("a\n\n", 10), (Strings{"a\n", "\n", ""}));
}

TEST(Wrap, CrLfSplitBetweenTwoAppendsIsOneBreak) {
    TextViewModel model;
    SetColumns(model, 10);
    model.append("c\r");
    EXPECT_EQ(Rows(model), (Strings{"c\r", ""}));
    model.append("\nd");
    EXPECT_EQ(Rows(model), (Strings{"c\r\n", "d"}));
}

// Text kept in blocks of 16 bytes: the CR of a CR LF ends a block, the LF begins the next.
TEST(Wrap, CrLfSplitByABlockEndIsOneBreak) {
    TextViewModel model(4);
    SetColumns(model, 20);
    model.append("ab\n0123456789ab\r\ncd\n" + std::string(20, 'x'));
    EXPECT_EQ(Rows(model), (Strings{"ab\n", "0123456789ab\r\n", "cd\n", "xxxxxxxxxxxxxxxxxxxx"}));
    EXPECT_EQ(model.rowAt(15), 1u);
    EXPECT_EQ(model.rowAt(16), 1u); // the LF, in the CR's row
    EXPECT_EQ(model.rowAt(17), 2u);
}

TEST(Wrap, LineBreaksRestartTheWidth) {
    EXPECT_EQ(Wrapped("abc\ndefg hi", 4), (Strings{"abc\n", "defg ", "hi"}));
}

TEST(Wrap, TabsAdvanceToTheNextStopAndAllowABreak) {
    TextViewModel model;
    SetColumns(model, 20);
    model.append("a\tb");
    EXPECT_EQ(model.xOf(2), 80);
    EXPECT_EQ(Wrapped("abc\tdefghijkl", 12), (Strings{"abc\t", "defghijkl"}));
    EXPECT_EQ(Wrapped("abcdefghi\tx", 10), (Strings{"abcdefghi\t", "x"}));
}

TEST(Wrap, ARowHoldsAtMostTheRowByteLimit) {
    const std::string blanks(5000, ' ');
    const Strings rows = Wrapped(blanks, 10);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].size(), WrapLayout::kMaxRowBytes);
    EXPECT_EQ(rows[1].size(), 5000 - WrapLayout::kMaxRowBytes);
}

TEST(Wrap, ZeroWidthBytesNeverForceABreak) {
    TextViewModel model;
    GlyphAdvances glyphs = UniformGlyphs();
    glyphs.advance[1] = 0;
    model.setGlyphs(glyphs);
    model.setWidth(20);
    model.append("ab\x01\x01"
                 "c");
    EXPECT_EQ(Rows(model), (Strings{"ab\x01\x01", "c"}));
}

TEST(Wrap, AppendingInPiecesWrapsLikeAppendingAtOnce) {
    std::mt19937 random(7);
    const char alphabet[] = "ab \t\r\n\xC0";
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += alphabet[random() % (sizeof alphabet - 1)];
    TextViewModel pieces(4);
    SetColumns(pieces, 9);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min<std::size_t>(random() % 40, text.size() - at);
        pieces.append(text.substr(at, n));
        at += n;
    }
    EXPECT_EQ(Rows(pieces), Wrapped(text, 9));
}
