#include "ui/textview/TextUnits.h"

#include <algorithm>

#include "ui/textview/WordBounds.h"

namespace {
bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

// The line break holding the break byte at pos: CR LF is one.
RowSpan LineBreakAt(const TextStore& text, std::uint64_t pos) {
    if (text[pos] == '\r')
        return {pos, pos + 1 < text.size() && text[pos + 1] == '\n' ? pos + 2 : pos + 1};
    return {pos > 0 && text[pos - 1] == '\r' ? pos - 1 : pos, pos + 1};
}

// The first break byte in [from, to), or to. A pass over the file's blocks that leaves the
// cache to the text on screen.
std::uint64_t NextBreak(const TextStore& text, std::uint64_t from, std::uint64_t to) {
    while (from < to) {
        const std::span<const char> span = text.streamAt(from);
        const auto end = span.begin() + static_cast<std::ptrdiff_t>(
                                            std::min<std::uint64_t>(span.size(), to - from));
        const auto found = std::find_if(span.begin(), end, IsBreak);
        from += static_cast<std::uint64_t>(found - span.begin());
        if (found != end)
            return from;
    }
    return to;
}

// The position after the last break byte in [from, to), or from.
std::uint64_t AfterLastBreak(const TextStore& text, std::uint64_t from, std::uint64_t to) {
    const unsigned shift = text.blockShift();
    while (to > from) {
        const std::uint64_t blockStart = std::max(from, ((to - 1) >> shift) << shift);
        const std::span<const char> span = text.streamAt(blockStart);
        const auto begin =
            span.rbegin() + static_cast<std::ptrdiff_t>(span.size() - (to - blockStart));
        const auto found = std::find_if(begin, span.rend(), IsBreak);
        if (found != span.rend())
            return blockStart + static_cast<std::uint64_t>(span.rend() - found);
        to = blockStart;
    }
    return from;
}

// Pieces of a long paragraph start at multiples of kMaxAnswerBytes, one byte earlier where a
// CR LF stands across the multiple: the break stays whole, in the later piece.
std::uint64_t PieceStart(const TextStore& text, std::uint64_t multiple) {
    if (multiple == 0 || multiple >= text.size())
        return std::min(multiple, text.size());
    return text[multiple - 1] == '\r' && text[multiple] == '\n' ? multiple - 1 : multiple;
}

RowSpan ParagraphAt(const TextStore& text, std::uint64_t pos) {
    // The end of the text belongs to the piece before it.
    const std::uint64_t inPiece = pos == text.size() && pos > 0 ? pos - 1 : pos;
    const std::uint64_t multiple = inPiece / kMaxAnswerBytes * kMaxAnswerBytes;
    std::uint64_t piece = PieceStart(text, multiple);
    std::uint64_t pieceEnd = PieceStart(text, multiple + kMaxAnswerBytes);
    if (inPiece >= pieceEnd) { // the CR moved to the next piece
        piece = pieceEnd;
        pieceEnd = PieceStart(text, multiple + 2 * kMaxAnswerBytes);
    }
    // The LF of a CR LF ends the paragraph its CR ends.
    if (pos > piece && pos < text.size() && text[pos] == '\n' && text[pos - 1] == '\r')
        --pos;
    const std::uint64_t begin = AfterLastBreak(text, piece, pos);
    const std::uint64_t end = NextBreak(text, pos, pieceEnd);
    if (end == pieceEnd)
        return {begin, end};
    return {begin, std::min(pieceEnd, LineBreakAt(text, end).end)};
}

RowSpan RowAt(const TextViewModel& model, std::uint64_t pos) {
    const RowSpan row = model.row(model.rowAt(pos));
    const bool holds = row.begin <= pos && (pos < row.end || pos == model.size());
    return holds ? row : RowSpan{pos, std::min(pos + 1, model.size())};
}
// A word as clients step through words: from its start to the next word's start, so the
// blanks after a word are part of it (Orca reads the word a Ctrl+Right passed over by this).
// Blanks after a line break, or at the start, stand alone. Runs whose sum is a piece or longer
// are left as they are, to be answered in pieces.
std::pair<std::uint64_t, std::uint64_t> WordWithItsBlanks(const TextViewModel& model,
                                                          std::uint64_t pos) {
    const TextStore& text = model.bytes();
    auto [begin, end] = model.wordAt(pos);
    if (begin == end)
        return {begin, end};
    if (IsBlank(text[begin])) {
        if (begin > 0 && !IsBreak(text[begin - 1])) {
            const std::uint64_t wordBegin = model.wordAt(begin - 1).first;
            if (end - wordBegin < kMaxWordSide)
                begin = wordBegin;
        }
    } else if (end < text.size() && IsBlank(text[end])) {
        const std::uint64_t blanksEnd = model.wordAt(end).second;
        if (blanksEnd - begin < kMaxWordSide)
            end = blanksEnd;
    }
    return {begin, end};
}
} // namespace

RowSpan TextUnitAt(const TextViewModel& model, std::uint64_t pos, TextUnit unit) {
    const TextStore& text = model.bytes();
    switch (unit) {
    case TextUnit::Character:
        return {pos, std::min(pos + 1, text.size())};
    case TextUnit::Word: {
        if (pos < text.size() && IsBreak(text[pos]))
            return LineBreakAt(text, pos);
        const auto [begin, end] = WordWithItsBlanks(model, pos);
        if (end - begin < kMaxWordSide)
            return {begin, end};
        // A run this long may reach further than the double-click's bounds: its pieces tile it.
        const std::uint64_t piece = pos / kMaxWordSide * kMaxWordSide;
        return {std::max(begin, piece), std::min(end, piece + kMaxWordSide)};
    }
    case TextUnit::Row:
        return RowAt(model, pos);
    case TextUnit::Paragraph:
        return ParagraphAt(text, pos);
    }
    return {pos, pos};
}
