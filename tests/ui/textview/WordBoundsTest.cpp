#include <gtest/gtest.h>
#include <utility>

#include "TextViewTestSupport.h"

using Span = std::pair<std::uint64_t, std::uint64_t>;

TEST(WordBounds, WordsBlanksAndPunctuation) {
    TextViewModel model;
    model.append("hello  world, 41 42\r\n");
    EXPECT_EQ(model.wordAt(2), (Span{0, 5}));
    EXPECT_EQ(model.wordAt(5), (Span{5, 7}));
    EXPECT_EQ(model.wordAt(7), (Span{7, 12}));
    EXPECT_EQ(model.wordAt(12), (Span{12, 13}));
    EXPECT_EQ(model.wordAt(15), (Span{14, 16}));
    EXPECT_EQ(model.wordAt(19), (Span{19, 19}));
    EXPECT_EQ(model.wordAt(model.size()), (Span{21, 21}));
}

TEST(WordBounds, CyrillicLettersAreWordBytes) {
    TextViewModel model;
    model.append("\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xEB\xEA\xE0"); // "Привет, Ёлка"
    EXPECT_EQ(model.wordAt(3), (Span{0, 6}));
    EXPECT_EQ(model.wordAt(9), (Span{8, 12}));
}

TEST(WordBounds, AWordAcrossBlockBorders) {
    TextViewModel model(2);
    model.append("ab abcdefghijklmnop cd");
    EXPECT_EQ(model.wordAt(10), (Span{3, 19}));
}
