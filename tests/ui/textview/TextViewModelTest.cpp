#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

#include "TextViewTestSupport.h"

using namespace std::chrono_literals;

namespace {
// 16-byte blocks, so rows and selections cross block borders all the time.
constexpr unsigned kTinyBlocks = 4;

std::string Digits(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += static_cast<char>('0' + i % 10);
    return text;
}

void FinishRewrap(TextViewModel& model) {
    while (!model.continueRewrap(0ms)) {
    }
}
} // namespace

TEST(TextViewModel, StartsEmptyWithOneRow) {
    TextViewModel model;
    EXPECT_EQ(model.size(), 0u);
    EXPECT_EQ(model.rowCount(), 1u);
    EXPECT_TRUE(model.selection().empty());
}

TEST(TextViewModel, HitTestingAcrossBlockBorders) {
    TextViewModel model(kTinyBlocks);
    SetColumns(model, 10);
    model.append(Digits(50));
    ASSERT_EQ(model.rowCount(), 5u);
    EXPECT_EQ(model.row(1).begin, 10u);
    EXPECT_EQ(model.positionAt(1, 54), 15u); // left half of byte 15
    EXPECT_EQ(model.positionAt(1, 56), 16u); // right half
    EXPECT_EQ(model.positionAt(1, -20), 10u);
    EXPECT_EQ(model.positionAt(1, 500), 20u);
    EXPECT_EQ(model.byteAt(1, 59), 15u);
    EXPECT_EQ(model.byteAt(1, 500), 19u);
    EXPECT_EQ(model.rowAt(31), 3u);
    EXPECT_EQ(model.xOf(37), 70);
}

TEST(TextViewModel, SelectionAcrossBlockBordersGivesExactlyTheSelectedBytes) {
    TextViewModel model(kTinyBlocks);
    SetColumns(model, 7);
    const std::string text = "line one\r\nline two is long\rthird\n" + HexText(20);
    model.append(text);
    model.select(30, 5); // anchor after the caret
    EXPECT_EQ(model.selection().begin(), 5u);
    EXPECT_EQ(model.selectedText(), text.substr(5, 25));
    model.selectAll();
    EXPECT_EQ(model.selectedText(), text); // no breaks added by the wrap
}

TEST(TextViewModel, SelectionIsClampedToTheText) {
    TextViewModel model;
    model.append("abc");
    model.select(1, 99);
    EXPECT_EQ(model.selectedText(), "bc");
}

TEST(TextViewModel, AppendMovesTheSelectionToTheEnd) {
    TextViewModel model;
    SetColumns(model, 10);
    model.append("abcdef");
    model.select(1, 4);
    model.append("gh");
    EXPECT_EQ(model.selection().anchor, 8u);
    EXPECT_EQ(model.selection().caret, 8u);
    EXPECT_EQ(model.selectedText(), "");
}

TEST(TextViewModel, AppendAfterClear) {
    TextViewModel model(kTinyBlocks);
    SetColumns(model, 4);
    model.append("abcdefghij");
    model.select(2, 6);
    model.clear();
    EXPECT_EQ(model.size(), 0u);
    EXPECT_EQ(model.rowCount(), 1u);
    EXPECT_TRUE(model.selection().empty());
    model.append("xy zw");
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"xy ", "zw"}));
    EXPECT_EQ(model.text(0, model.size()), "xy zw");
}

TEST(TextViewModel, GlyphChangeRewraps) {
    TextViewModel model;
    SetColumns(model, 8);
    model.append("41 42 43 44 45 ");
    EXPECT_EQ(model.rowCount(), 2u);
    model.setGlyphs(UniformGlyphs(20)); // twice as wide: four columns
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"41 ", "42 ", "43 ", "44 ", "45 "}));
}

TEST(TextViewModel, LargeRewrapShowsTheEndFirstAndEndsLikeAFreshWrap) {
    const std::string text = HexText(400000); // 1.2 MB in one paragraph
    TextViewModel model;
    SetColumns(model, 30);
    model.append(text);
    model.setWidth(170);
    ASSERT_TRUE(model.rewrapping());
    // The end is laid out at once: the last row holds the end and is not too wide.
    const std::uint64_t last = model.rowCount() - 1;
    EXPECT_EQ(model.row(last).end, text.size());
    EXPECT_LE(model.row(last).end - model.row(last).begin, 18u);
    EXPECT_EQ(model.rowAt(text.size()), last);
    // Appends during the re-wrap show at once too.
    model.append("AA BB ");
    EXPECT_EQ(model.text(model.row(model.rowCount() - 1).begin, model.size()).back(), ' ');
    FinishRewrap(model);
    EXPECT_FALSE(model.rewrapping());

    TextViewModel fresh;
    SetColumns(fresh, 17);
    fresh.append(text + "AA BB ");
    EXPECT_EQ(Rows(model), Rows(fresh));
}

TEST(TextViewModel, ARewrapStartsTheEndAtALineStartWhenOneIsNear) {
    std::string text;
    for (int line = 0; text.size() < 700000; ++line)
        text += "line " + std::to_string(line) + " of some text\r\n";
    TextViewModel model;
    SetColumns(model, 40);
    model.append(text);
    model.setWidth(70);
    ASSERT_TRUE(model.rewrapping());
    TextViewModel fresh;
    SetColumns(fresh, 7);
    fresh.append(text);
    // From a line start the end's rows are already the final ones.
    const std::vector<std::string> during = Rows(model);
    const std::vector<std::string> final = Rows(fresh);
    ASSERT_GT(during.size(), 100u);
    EXPECT_TRUE(std::equal(during.end() - 100, during.end(), final.end() - 100));
    FinishRewrap(model);
    EXPECT_EQ(Rows(model), final);
}

TEST(TextViewModel, RowsDuringARewrapCoverTheirBytesInOrder) {
    const std::string text = HexText(300000);
    TextViewModel model;
    SetColumns(model, 20);
    model.append(text);
    model.setWidth(110);
    model.continueRewrap(0ms); // one slice
    ASSERT_TRUE(model.rewrapping());
    std::uint64_t previousEnd = 0;
    for (std::uint64_t row = 0; row < model.rowCount(); ++row) {
        const RowSpan span = model.row(row);
        EXPECT_GE(span.begin, previousEnd);
        EXPECT_LE(span.begin, span.end);
        EXPECT_EQ(model.rowAt(span.begin), row);
        previousEnd = span.end;
    }
    EXPECT_EQ(previousEnd, text.size());
}

TEST(TextViewModel, ClearStopsARewrap) {
    TextViewModel model;
    SetColumns(model, 20);
    model.append(HexText(300000));
    model.setWidth(110);
    ASSERT_TRUE(model.rewrapping());
    model.clear();
    EXPECT_FALSE(model.rewrapping());
    EXPECT_EQ(model.rowCount(), 1u);
}
