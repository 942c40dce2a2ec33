#include <gtest/gtest.h>

#include "TextViewTestSupport.h"
#include "ui/textview/CaretMove.h"

namespace {
struct CaretMoveTest : testing::Test {
    void SetUp() override {
        SetColumns(model, 6);
        model.append("ab\r\ncdefgh ijklmn\nop"); // rows: "ab\r\n" "cdefgh " "ijklmn\n" "op"
    }
    std::uint64_t move(std::uint64_t caret, CaretMove how, std::int64_t goalX = 0) const {
        return MovedCaret(model, caret, how, goalX, 2);
    }
    TextViewModel model{4};
};
} // namespace

TEST_F(CaretMoveTest, LeftAndRightStepOverCrLfAsOne) {
    EXPECT_EQ(move(2, CaretMove::Right), 4u);
    EXPECT_EQ(move(4, CaretMove::Left), 2u);
    EXPECT_EQ(move(0, CaretMove::Left), 0u);
    EXPECT_EQ(move(model.size(), CaretMove::Right), model.size());
}

TEST_F(CaretMoveTest, WordMovesStopAtWordStarts) {
    for (const auto& [from, left, right] : {std::tuple{0u, 0u, 4u},
                                            {2u, 0u, 4u},
                                            {4u, 0u, 11u},
                                            {7u, 4u, 11u},
                                            {11u, 4u, 18u},
                                            {13u, 11u, 18u},
                                            {18u, 11u, 20u},
                                            {20u, 18u, 20u}}) {
        EXPECT_EQ(move(from, CaretMove::WordLeft), left) << from;
        EXPECT_EQ(move(from, CaretMove::WordRight), right) << from;
    }
}

TEST_F(CaretMoveTest, UpAndDownKeepTheColumn) {
    EXPECT_EQ(move(5, CaretMove::Down, 10), 12u); // from "cdefgh " column 1 to "ijklmn"
    EXPECT_EQ(move(12, CaretMove::Up, 10), 5u);
    EXPECT_EQ(move(1, CaretMove::Up, 10), 1u);
    // A column past a row's end stops at that row's end.
    EXPECT_EQ(move(5, CaretMove::Up, 50), 2u);
}

TEST_F(CaretMoveTest, PagesMoveByTheGivenRows) {
    EXPECT_EQ(move(0, CaretMove::PageDown, 0), 11u);
    EXPECT_EQ(move(11, CaretMove::PageUp, 0), 0u);
    EXPECT_EQ(move(11, CaretMove::PageDown, 0), 18u);
}

TEST_F(CaretMoveTest, RowStartAndEnd) {
    EXPECT_EQ(move(7, CaretMove::RowStart), 4u);
    EXPECT_EQ(move(7, CaretMove::RowEnd), 10u);  // before the hanging blank, still on the row
    EXPECT_EQ(move(12, CaretMove::RowEnd), 17u); // before the line feed
    EXPECT_EQ(move(19, CaretMove::RowEnd), 20u); // the last row ends at the text's end
    EXPECT_EQ(move(7, CaretMove::TextStart), 0u);
    EXPECT_EQ(move(7, CaretMove::TextEnd), model.size());
}
