#include "ui/textview/CaretMove.h"

#include <algorithm>

#include "ui/textview/WordBounds.h"

namespace {
std::uint64_t StepLeft(const TextViewModel& model, std::uint64_t caret) {
    if (caret == 0)
        return 0;
    const TextStore& text = model.bytes();
    const bool crLf = caret >= 2 && text[caret - 2] == '\r' && text[caret - 1] == '\n';
    return caret - (crLf ? 2 : 1);
}

std::uint64_t StepRight(const TextViewModel& model, std::uint64_t caret) {
    if (caret >= model.size())
        return model.size();
    const TextStore& text = model.bytes();
    const bool crLf = text[caret] == '\r' && caret + 1 < model.size() && text[caret + 1] == '\n';
    return caret + (crLf ? 2 : 1);
}

// What separates the words a double-click selects; a word move steps over it.
bool IsGap(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Each step reaches at most kMaxWordSide bytes past a word, so a run of blanks stays cheap.
std::uint64_t WordStartAfter(const TextStore& text, std::uint64_t caret) {
    std::uint64_t pos = caret;
    if (pos < text.size() && !IsGap(text[pos]))
        pos = WordAt(text, pos).second;
    const std::uint64_t highest = std::min(text.size(), pos + kMaxWordSide);
    while (pos < highest && IsGap(text[pos]))
        ++pos;
    return pos;
}

std::uint64_t WordStartBefore(const TextStore& text, std::uint64_t caret) {
    std::uint64_t pos = caret;
    const std::uint64_t lowest = pos > kMaxWordSide ? pos - kMaxWordSide : 0;
    while (pos > lowest && IsGap(text[pos - 1]))
        --pos;
    if (pos > 0 && !IsGap(text[pos - 1]))
        pos = WordAt(text, pos - 1).first;
    return pos;
}

// The last caret place that still shows on the row: a wrapped row's end is the next row's start,
// so the caret stops before the row's last byte there.
std::uint64_t RowEndOf(const TextViewModel& model, std::uint64_t row) {
    const RowSpan span = model.row(row);
    const std::uint64_t contentEnd = model.rowContentEnd(row);
    const bool wrapped = contentEnd == span.end && row + 1 < model.rowCount();
    return wrapped && contentEnd > span.begin ? contentEnd - 1 : contentEnd;
}

// The place nearest to goalX that still shows on the row.
std::uint64_t AtColumn(const TextViewModel& model, std::uint64_t row, std::int64_t goalX) {
    return std::min(model.positionAt(row, goalX), RowEndOf(model, row));
}

std::uint64_t RowAtOffset(const TextViewModel& model, std::uint64_t row, std::int64_t offset) {
    const auto last = static_cast<std::int64_t>(model.rowCount() - 1);
    return static_cast<std::uint64_t>(
        std::clamp(static_cast<std::int64_t>(row) + offset, std::int64_t{0}, last));
}
} // namespace

std::uint64_t MovedCaret(const TextViewModel& model, std::uint64_t caret, CaretMove move,
                         std::int64_t goalX, std::uint64_t pageRows) {
    const std::uint64_t row = model.rowAt(caret);
    const auto page = static_cast<std::int64_t>(std::max<std::uint64_t>(pageRows, 1));
    switch (move) {
    case CaretMove::Left:
        return StepLeft(model, caret);
    case CaretMove::Right:
        return StepRight(model, caret);
    case CaretMove::WordLeft:
        return WordStartBefore(model.bytes(), caret);
    case CaretMove::WordRight:
        return WordStartAfter(model.bytes(), caret);
    case CaretMove::Up:
        return AtColumn(model, RowAtOffset(model, row, -1), goalX);
    case CaretMove::Down:
        return AtColumn(model, RowAtOffset(model, row, 1), goalX);
    case CaretMove::PageUp:
        return AtColumn(model, RowAtOffset(model, row, -page), goalX);
    case CaretMove::PageDown:
        return AtColumn(model, RowAtOffset(model, row, page), goalX);
    case CaretMove::RowStart:
        return model.row(row).begin;
    case CaretMove::RowEnd:
        return RowEndOf(model, row);
    case CaretMove::TextStart:
        return 0;
    case CaretMove::TextEnd:
        return model.size();
    }
    return caret;
}
