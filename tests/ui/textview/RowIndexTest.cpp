#include <gtest/gtest.h>
#include <vector>

#include "ui/textview/RowIndex.h"

namespace {
// An index whose entries have these open rows, each entry's open row starting at 1000 times it.
RowIndex Filled(const std::vector<std::uint64_t>& rows) {
    RowIndex index;
    for (std::uint64_t row : rows)
        index.push_back({row, row * 1000, 0, 0, 0, false});
    return index;
}
} // namespace

TEST(RowIndex, KeepsEveryStateAcrossItsChunks) {
    RowIndex index;
    for (std::uint64_t entry = 0; entry < 3000; ++entry)
        index.push_back({entry * 7, entry << 16, (entry << 16) + 3, 5, -2, entry % 2 == 1});
    ASSERT_EQ(index.size(), 3000u);
    for (std::uint64_t entry : {0u, 1023u, 1024u, 2999u}) {
        const WrapState state = index[entry];
        EXPECT_EQ(state.rows, entry * 7);
        EXPECT_EQ(state.openBegin, entry << 16);
        EXPECT_EQ(state.breakPos, (entry << 16) + 3);
        EXPECT_EQ(state.x, 5);
        EXPECT_EQ(state.breakX, -2);
        EXPECT_EQ(state.afterCr, entry % 2 == 1);
    }
}

TEST(RowIndex, FindsTheLastEntryAtOrBeforeARow) {
    // Entries 2 to 4 share a row that spans their blocks.
    const RowIndex index = Filled({0, 10, 12, 12, 12, 5000000000});
    EXPECT_EQ(index.entryOfRow(0), 0u);
    EXPECT_EQ(index.entryOfRow(9), 0u);
    EXPECT_EQ(index.entryOfRow(10), 1u);
    EXPECT_EQ(index.entryOfRow(11), 1u);
    EXPECT_EQ(index.entryOfRow(12), 4u);
    EXPECT_EQ(index.entryOfRow(4999999999), 4u);
    EXPECT_EQ(index.entryOfRow(6000000000), 5u);
}

TEST(RowIndex, OneEntry) {
    const RowIndex index = Filled({300000});
    EXPECT_EQ(index.entryOfRow(300000), 0u);
    EXPECT_EQ(index.entryOfRow(400000), 0u);
}
