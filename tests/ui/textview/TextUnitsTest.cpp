#include <gtest/gtest.h>
#include <string>

#include "TextViewTestSupport.h"
#include "ui/textview/TextUnits.h"
#include "ui/textview/WordBounds.h"

TEST(TextUnits, ClientsReachTheLastPartOfTheTextThat32BitOffsetsCount) {
    const std::uint64_t tenGiB = std::uint64_t{10} << 30;
    EXPECT_EQ(ExposedStart(0), 0u);
    EXPECT_EQ(ExposedStart(0x7FFFFFFE), 0u);
    EXPECT_EQ(ExposedStart(0x7FFFFFFF), 1u);
    EXPECT_EQ(ExposedStart(tenGiB), tenGiB - 0x7FFFFFFE);
}

// A paragraph longer than one answer, through a block file, with a CR LF across the first
// piece's end, a word longer than one piece of a run, and blanks longer than one after a word:
// their pieces tile them, the CR LF stays one break, and a client stepping unit by unit always
// advances.
TEST(TextUnits, LongParagraphsAndWordsAreReadInPieces) {
    TextViewModel model = ModelWith(Store::File, 10);
    const std::uint64_t n = kMaxAnswerBytes;
    const std::uint64_t w = kMaxWordSide;
    model.append(std::string(n - 1, 'a') + "\r\n" + std::string(10, 'b') + "\ncd" +
                 std::string(w + 5, ' ') + "e f");
    const struct {
        TextUnit unit;
        std::uint64_t pos, begin, end;
    } rows[] = {
        {TextUnit::Paragraph, 0, 0, n - 1},
        {TextUnit::Paragraph, n - 1, n - 1, n + 1},
        {TextUnit::Paragraph, n, n - 1, n + 1},
        {TextUnit::Paragraph, n + 11, n + 1, n + 12},
        {TextUnit::Paragraph, n + 14, n + 12, model.size()},
        {TextUnit::Word, 0, 0, w},
        {TextUnit::Word, w, w, 2 * w},
        {TextUnit::Word, n - 2, n - w, n - 1},
        {TextUnit::Word, n + 12, n + 12, n + 14},
        {TextUnit::Word, model.size() - 3, model.size() - 3, model.size() - 1},
        {TextUnit::Word, model.size() - 2, model.size() - 3, model.size() - 1},
    };
    for (const auto& row : rows) {
        const RowSpan span = TextUnitAt(model, row.pos, row.unit);
        EXPECT_EQ(std::pair(span.begin, span.end), std::pair(row.begin, row.end))
            << row.pos << " " << int(row.unit);
    }
    for (const TextUnit unit : {TextUnit::Paragraph, TextUnit::Word}) {
        for (std::uint64_t pos = 0; pos < model.size();) {
            const RowSpan span = TextUnitAt(model, pos, unit);
            ASSERT_EQ(span.begin, pos) << int(unit);
            ASSERT_GT(span.end, pos) << int(unit);
            pos = span.end;
        }
    }
}
