#include <gtest/gtest.h>
#include <string>

#include "TextViewTestSupport.h"
#include "ui/textview/TextUnits.h"

TEST(TextUnits, ClientsReachTheLastPartOfTheTextThat32BitOffsetsCount) {
    const std::uint64_t tenGiB = std::uint64_t{10} << 30;
    EXPECT_EQ(ExposedStart(0), 0u);
    EXPECT_EQ(ExposedStart(0x7FFFFFFF), 0u);
    EXPECT_EQ(ExposedStart(0x80000000), 1u);
    EXPECT_EQ(ExposedStart(tenGiB), tenGiB - 0x7FFFFFFF);
}

// A paragraph longer than one answer, through a block file, with a CR LF across the first
// piece's end: its pieces tile it.
TEST(TextUnits, ALongParagraphIsReadInPieces) {
    TextViewModel model = ModelWith(Store::File, 10);
    const std::uint64_t n = kMaxAnswerBytes;
    model.append(std::string(n - 1, 'a') + "\r\n" + std::string(10, 'b') + "\ncd");
    const struct {
        std::uint64_t pos, begin, end;
    } rows[] = {
        {0, 0, n}, {n - 1, 0, n}, {n, n, n + 1}, {n + 11, n + 1, n + 12}, {n + 14, n + 12, n + 14}};
    for (const auto& row : rows) {
        const RowSpan span = TextUnitAt(model, row.pos, TextUnit::Paragraph);
        EXPECT_EQ(std::pair(span.begin, span.end), std::pair(row.begin, row.end)) << row.pos;
    }
}
