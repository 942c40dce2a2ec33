#include <gtest/gtest.h>
#include <vector>

#include "ui/textview/RowIndex.h"

namespace {
RowIndex Filled(const std::vector<std::uint64_t>& starts) {
    RowIndex index;
    for (std::uint64_t start : starts)
        index.push_back(start);
    return index;
}
} // namespace

TEST(RowIndex, KeepsFullStartsAcrossPages) {
    const std::vector<std::uint64_t> starts = {0,     10,      65535,   65536,
                                               70000, 1000000, 1000001, 5000000000};
    const RowIndex index = Filled(starts);
    ASSERT_EQ(index.size(), starts.size());
    for (std::size_t row = 0; row < starts.size(); ++row)
        EXPECT_EQ(index[row], starts[row]) << row;
}

TEST(RowIndex, FindsTheRowHoldingAPosition) {
    const RowIndex index = Filled({0, 10, 65535, 65536, 70000, 1000000, 5000000000});
    EXPECT_EQ(index.rowAt(0), 0u);
    EXPECT_EQ(index.rowAt(9), 0u);
    EXPECT_EQ(index.rowAt(10), 1u);
    EXPECT_EQ(index.rowAt(65535), 2u);
    EXPECT_EQ(index.rowAt(65536), 3u);
    EXPECT_EQ(index.rowAt(69999), 3u);
    EXPECT_EQ(index.rowAt(500000), 4u); // inside a row spanning several pages
    EXPECT_EQ(index.rowAt(1000000), 5u);
    EXPECT_EQ(index.rowAt(4999999999), 5u);
    EXPECT_EQ(index.rowAt(6000000000), 6u);
}

TEST(RowIndex, MayStartAfterZero) {
    const RowIndex index = Filled({300000, 300005});
    EXPECT_EQ(index[0], 300000u);
    EXPECT_EQ(index[1], 300005u);
    EXPECT_EQ(index.rowAt(300004), 0u);
    EXPECT_EQ(index.rowAt(300005), 1u);
}

TEST(RowIndex, ClearEmpties) {
    RowIndex index = Filled({0, 100000});
    index.clear();
    EXPECT_EQ(index.size(), 0u);
    index.push_back(7);
    EXPECT_EQ(index[0], 7u);
}
