#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

#include "TextViewTestSupport.h"
#include "ui/textview/ScrollSteps.h"

#ifndef _WIN32
#include "ui/textview/posix/TempBlockFile.h"
#endif

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

// Each case runs with every kind of store.
struct TextViewStores : testing::TestWithParam<Store> {};
} // namespace

INSTANTIATE_TEST_SUITE_P(TextViewModel, TextViewStores,
                         testing::Values(Store::Memory, Store::File, Store::FileFillsUp),
                         StoreName);

TEST(TextViewModel, StartsEmptyWithOneRow) {
    TextViewModel model;
    EXPECT_EQ(model.size(), 0u);
    EXPECT_EQ(model.rowCount(), 1u);
    EXPECT_TRUE(model.selection().empty());
}

TEST_P(TextViewStores, HitTestingAcrossBlockBorders) {
    TextViewModel model = ModelWith(GetParam(), kTinyBlocks);
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

TEST_P(TextViewStores, SelectionAcrossBlockBordersGivesExactlyTheSelectedBytes) {
    TextViewModel model = ModelWith(GetParam(), kTinyBlocks);
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

TEST_P(TextViewStores, AppendAfterClear) {
    auto file = std::make_unique<MemoryBlockFile>(GetParam() == Store::File ? ~0ull : 0);
    const MemoryBlockFile& written = *file;
    TextViewModel model(kTinyBlocks, GetParam() == Store::Memory ? nullptr : std::move(file));
    SetColumns(model, 4);
    model.append("abcdefghij" + Digits(40));
    EXPECT_EQ(written.size() > 0, GetParam() != Store::Memory);
    model.select(2, 6);
    model.clear();
    EXPECT_EQ(written.size(), 0u); // the space is given back
    EXPECT_EQ(model.size(), 0u);
    EXPECT_EQ(model.rowCount(), 1u);
    EXPECT_TRUE(model.selection().empty());
    model.append("xy zw");
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"xy ", "zw"}));
    EXPECT_EQ(model.text(0, model.size()), "xy zw");
    // A file that failed before the clear is tried again.
    model.append(Digits(60));
    EXPECT_EQ(model.text(0, model.size()), "xy zw" + Digits(60));
    EXPECT_EQ(model.bytes().blocksInFile(), GetParam() == Store::File ? 4u : 0u);
}

// Blocks held while the file has no room go to it once it has room again, oldest first and a
// bounded number with each new block; after any other failure they stay in memory.
TEST(TextViewModel, HeldBlocksGoToTheFileOnceItHasRoomAgain) {
    constexpr std::uint64_t kHeld = TextStore::kHeldBlocksMovedPerBlock + 10;
    for (const auto refusal : {BlockFile::Write::NoRoom, BlockFile::Write::Failed}) {
        const bool resumes = refusal == BlockFile::Write::NoRoom;
        TextViewModel model(kTinyBlocks, std::make_unique<MemoryBlockFile>(3, kHeld, refusal), 2);
        const std::string text = Digits(16 * (5 + kHeld));
        model.append(text.substr(0, 16 * (3 + kHeld)));
        EXPECT_EQ(model.bytes().blocksInFile(), 3u);
        model.append(text.substr(16 * (3 + kHeld), 16));
        EXPECT_EQ(model.bytes().blocksInFile(), resumes ? 3 + kHeld - 10 : 3u);
        model.append(text.substr(16 * (4 + kHeld)));
        EXPECT_EQ(model.bytes().blocksInFile(), resumes ? 5 + kHeld : 3u);
        EXPECT_EQ(model.text(0, model.size()), text);
    }
}

TEST(TextViewModel, GlyphChangeRewraps) {
    TextViewModel model;
    SetColumns(model, 8);
    model.append("41 42 43 44 45 ");
    EXPECT_EQ(model.rowCount(), 2u);
    model.setGlyphs(UniformGlyphs(20)); // twice as wide: four columns
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"41 ", "42 ", "43 ", "44 ", "45 "}));
}

TEST_P(TextViewStores, LargeRewrapShowsTheEndFirstAndEndsLikeAFreshWrap) {
    const std::string text = HexText(400000); // 1.2 MB in one paragraph
    TextViewModel model = ModelWith(GetParam());
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
    EXPECT_EQ(model.text(0, model.size()), text + "AA BB ");
}

TEST_P(TextViewStores, ARewrapStartsTheEndAtALineStartWhenOneIsNear) {
    std::string text;
    for (int line = 0; text.size() < 700000; ++line)
        text += "line " + std::to_string(line) + " of some text\r\n";
    TextViewModel model = ModelWith(GetParam());
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

TEST_P(TextViewStores, ARewrapLaysOutThePartOnScreenFirst) {
    std::string text;
    for (int line = 0; text.size() < 1500000; ++line)
        text += "line " + std::to_string(line) + " of some text\r\n";
    const std::uint64_t shown = text.find("line 30000 ");
    TextViewModel model = ModelWith(GetParam());
    SetColumns(model, 40);
    model.append(text);
    model.setWidth(70, shown);
    ASSERT_TRUE(model.rewrapping());
    TextViewModel fresh;
    SetColumns(fresh, 7);
    fresh.append(text);
    // From a line start the rows on screen and after them are already the final ones.
    const std::uint64_t row = model.rowAt(shown);
    const std::uint64_t freshRow = fresh.rowAt(shown);
    EXPECT_EQ(model.row(row).begin, shown);
    for (std::uint64_t i = 0; i < 100; ++i) {
        EXPECT_EQ(model.row(row + i).begin, fresh.row(freshRow + i).begin) << i;
        EXPECT_EQ(model.row(row + i).end, fresh.row(freshRow + i).end) << i;
    }
    // So are the end's.
    EXPECT_EQ(model.row(model.rowCount() - 1).begin, fresh.row(fresh.rowCount() - 1).begin);
    FinishRewrap(model);
    EXPECT_EQ(Rows(model), Rows(fresh));
}

TEST_P(TextViewStores, RowsDuringARewrapCoverTheirBytesInOrder) {
    const std::string text = HexText(600000);
    TextViewModel model = ModelWith(GetParam());
    SetColumns(model, 20);
    model.append(text);
    model.setWidth(110, text.size() / 2); // the middle on screen
    model.continueRewrap(0ms);            // one slice
    ASSERT_TRUE(model.rewrapping());
    const std::uint64_t middle = model.rowAt(text.size() / 2);
    EXPECT_LE(model.row(middle).begin, text.size() / 2);
    EXPECT_GT(model.row(middle).end, text.size() / 2);
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

TEST_P(TextViewStores, ClearStopsARewrap) {
    TextViewModel model = ModelWith(GetParam());
    SetColumns(model, 20);
    model.append(HexText(300000));
    model.setWidth(110);
    ASSERT_TRUE(model.rewrapping());
    model.clear();
    EXPECT_FALSE(model.rewrapping());
    EXPECT_EQ(model.rowCount(), 1u);
}

// A view may hold more rows than a scroll bar has steps; the steps then spread over them and
// still reach both ends exactly.
TEST(ScrollSteps, OneStepARowUpToTheLimitThenSpread) {
    const std::uint64_t many = std::uint64_t{6} << 32; // six times the limit, past 32 bits
    const struct {
        std::uint64_t lastTop;
        std::int32_t steps;
    } rows[] = {{0, 0},
                {1, 1},
                {1000, 1000},
                {kMaxScrollSteps, kMaxScrollSteps},
                {std::uint64_t{kMaxScrollSteps} + 1, kMaxScrollSteps},
                {many, kMaxScrollSteps}};
    for (const auto& row : rows) {
        EXPECT_EQ(ScrollStepCount(row.lastTop), row.steps) << row.lastTop;
        EXPECT_EQ(ScrollStepOfRow(0, row.lastTop), 0) << row.lastTop;
        EXPECT_EQ(ScrollStepOfRow(row.lastTop, row.lastTop), row.steps) << row.lastTop;
        EXPECT_EQ(ScrollStepOfRow(row.lastTop + 5, row.lastTop), row.steps) << row.lastTop;
        EXPECT_EQ(RowOfScrollStep(0, row.lastTop), 0u) << row.lastTop;
        EXPECT_EQ(RowOfScrollStep(row.steps, row.lastTop), row.lastTop) << row.lastTop;
    }
    EXPECT_EQ(ScrollStepOfRow(700, 1000), 700);
    EXPECT_EQ(RowOfScrollStep(700, 1000), 700u);
    // Past the limit a step stands for several rows; the middle step is the middle row.
    EXPECT_EQ(ScrollStepOfRow(many / 2, many), kMaxScrollSteps / 2);
    EXPECT_EQ(RowOfScrollStep(kMaxScrollSteps / 2, many), many / 2);
    EXPECT_EQ(RowOfScrollStep(1, many), 24u);
    EXPECT_EQ(ScrollStepOfRow(23, many), 0);
    EXPECT_EQ(ScrollStepOfRow(24, many), 1);
}

#ifndef _WIN32
// The Linux view's store: an unnamed file in the given directory, gone once closed; a directory
// that cannot hold one leaves the text in memory.
TEST(TextViewModel, FullBlocksGoToAnUnnamedFileWhereTheDirectoryTakesOne) {
    const std::string text = HexText(200000); // enough for a re-wrap in slices
    for (const char* directory : {".", "/proc/self", "no such directory"}) {
        const bool takesOne = directory == std::string(".");
        TextViewModel model(12, std::make_unique<TempBlockFile>(directory));
        SetColumns(model, 31);
        const int before = UnnamedFilesOpen();
        model.append(text);
        EXPECT_EQ(model.bytes().blocksInFile(), takesOne ? text.size() >> 12 : 0) << directory;
        EXPECT_EQ(UnnamedFilesOpen(), before + takesOne) << directory;
        EXPECT_EQ(model.text(0, model.size()), text) << directory;
        TextViewModel fresh;
        SetColumns(fresh, 31);
        fresh.append(text);
        EXPECT_EQ(Rows(model), Rows(fresh)) << directory;
        // A re-wrap reads the file on without waiting for the disk.
        model.setWidth(230);
        ASSERT_TRUE(model.rewrapping()) << directory;
        FinishRewrap(model);
        fresh.setWidth(230);
        FinishRewrap(fresh);
        EXPECT_EQ(Rows(model), Rows(fresh)) << directory;
        model.clear();
        EXPECT_EQ(UnnamedFilesOpen(), before) << directory;
    }
}
#endif
