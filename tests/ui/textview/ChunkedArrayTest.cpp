#include <gtest/gtest.h>
#include <string>

#include "ui/textview/ChunkedArray.h"

TEST(ChunkedArray, AppendsAcrossBlocks) {
    ChunkedArray<char> array(2); // 4-byte blocks
    const std::string text = "abcdefghijk";
    array.append(text.data(), 3);
    array.append(text.data() + 3, text.size() - 3);
    ASSERT_EQ(array.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(array[i], text[i]);
}

TEST(ChunkedArray, SpansEndAtBlockBordersAndAtTheEnd) {
    ChunkedArray<char> array(2);
    array.append("abcdefg", 7);
    EXPECT_EQ(std::string(array.spanAt(1).data(), array.spanAt(1).size()), "bcd");
    EXPECT_EQ(std::string(array.spanAt(4).data(), array.spanAt(4).size()), "efg");
}

TEST(ChunkedArray, PushBackAndClear) {
    ChunkedArray<std::uint16_t> array(3);
    for (std::uint16_t i = 0; i < 20; ++i)
        array.push_back(i);
    EXPECT_EQ(array.size(), 20u);
    EXPECT_EQ(array[17], 17);
    array.clear();
    EXPECT_EQ(array.size(), 0u);
    array.push_back(5);
    EXPECT_EQ(array[0], 5);
}
