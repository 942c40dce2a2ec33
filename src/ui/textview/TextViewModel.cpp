#include "ui/textview/TextViewModel.h"

#include <algorithm>

#include "ui/textview/RowMeasure.h"
#include "ui/textview/WordBounds.h"

namespace {
// How much of the text on screen and of its end a re-wrap lays out at once: several screens of
// any window.
constexpr std::uint64_t kAheadBytes = 256 * 1024;
} // namespace

TextViewModel::TextViewModel(unsigned blockShift, std::unique_ptr<BlockFile> file,
                             unsigned cacheBlocks)
    : text_(blockShift, std::move(file), cacheBlocks), main_(blockShift) {}

void TextViewModel::append(std::string_view bytes) {
    text_.append(bytes.data(), bytes.size());
    if (rewrapping())
        ahead_.back().wrap(text_, params_, size());
    else
        main_.wrap(text_, params_, size());
    selection_ = {size(), size()};
}

void TextViewModel::clear() {
    text_.clear();
    main_ = WrapLayout(text_.blockShift());
    ahead_.clear();
    selection_ = {};
}

std::string TextViewModel::text(std::uint64_t begin, std::uint64_t end) const {
    end = std::min(end, size());
    begin = std::min(begin, end);
    std::string result(end - begin, '\0');
    text_.copy(begin, end, result.data());
    return result;
}

void TextViewModel::setGlyphs(const GlyphAdvances& glyphs, std::optional<std::uint64_t> shownFrom) {
    if (glyphs == params_.glyphs)
        return;
    params_.glyphs = glyphs;
    restartLayout(shownFrom);
}

void TextViewModel::setWidth(std::int64_t width, std::optional<std::uint64_t> shownFrom) {
    if (width == params_.width)
        return;
    params_.width = width;
    restartLayout(shownFrom);
}

void TextViewModel::restartLayout(std::optional<std::uint64_t> shownFrom) {
    main_ = WrapLayout(text_.blockShift());
    ahead_.clear();
    const std::uint64_t tail = size() > kAheadBytes ? rowStartNear(size() - kAheadBytes) : 0;
    if (tail == 0) {
        main_.wrap(text_, params_, size());
        return;
    }
    // The part on screen, unless the end's layout holds it.
    if (shownFrom && *shownFrom + kAheadBytes < tail) {
        const std::uint64_t from = rowStartNear(*shownFrom);
        const std::uint64_t to = std::min(from + kAheadBytes, tail);
        if (from == 0) {
            main_.wrap(text_, params_, to);
        } else {
            ahead_.emplace_back(text_.blockShift(), from);
            ahead_.back().wrap(text_, params_, to);
        }
    }
    ahead_.emplace_back(text_.blockShift(), tail);
    ahead_.back().wrap(text_, params_, size());
}

// Where a layout made ahead starts, at or before pos: at a line start if one is near, else
// after a blank, as a row would start.
std::uint64_t TextViewModel::rowStartNear(std::uint64_t pos) const {
    const std::uint64_t lowest = pos > kAheadBytes ? pos - kAheadBytes : 0;
    for (std::uint64_t p = pos; p > lowest; --p) {
        const char c = text_[p - 1];
        if (c == '\n' || c == '\r')
            return c == '\r' && p < size() && text_[p] == '\n' ? p + 1 : p;
    }
    if (lowest == 0)
        return 0;
    for (std::uint64_t p = pos; p > 0 && pos - p < WrapLayout::kMaxRowBytes; --p) {
        if (IsBlank(text_[p - 1]))
            return p;
    }
    return pos;
}

bool TextViewModel::continueRewrap(std::chrono::steady_clock::duration budget) {
    if (!rewrapping())
        return true;
    main_.wrapUntil(text_, params_, size(), std::chrono::steady_clock::now() + budget);
    // A layout made ahead goes once the re-wrap from the start has passed its end; the end's
    // layout goes last, when the re-wrap is complete.
    while (!ahead_.empty() && main_.end() >= ahead_.front().end())
        ahead_.erase(ahead_.begin());
    return !rewrapping();
}

// While re-wrapping, the rows shown are those of the re-wrap from the start that begin before
// the first layout made ahead, then those of each layout made ahead.
std::uint64_t TextViewModel::prefixRows() const {
    const std::uint64_t stop = std::min(ahead_.front().begin(), main_.end());
    return stop == 0 ? 0 : main_.rowAt(text_, params_, stop - 1) + 1;
}

// A layout made ahead of the end's may end in an empty open row, which is not shown.
std::uint64_t TextViewModel::shownRows(std::size_t ahead) const {
    const WrapLayout& layout = ahead_[ahead];
    const std::uint64_t rows = layout.rowCount();
    const bool emptyLast =
        ahead + 1 < ahead_.size() && layout.row(text_, params_, rows - 1).begin == layout.end();
    return emptyLast ? rows - 1 : rows;
}

std::uint64_t TextViewModel::rowCount() const {
    if (!rewrapping())
        return main_.rowCount();
    std::uint64_t rows = prefixRows();
    for (std::size_t i = 0; i < ahead_.size(); ++i)
        rows += shownRows(i);
    return rows;
}

RowSpan TextViewModel::row(std::uint64_t row) const {
    if (!rewrapping())
        return main_.row(text_, params_, row);
    const std::uint64_t prefix = prefixRows();
    if (row < prefix) {
        const RowSpan span = main_.row(text_, params_, row);
        return {span.begin, std::min(span.end, ahead_.front().begin())};
    }
    row -= prefix;
    for (std::size_t i = 0; i + 1 < ahead_.size(); ++i) {
        const std::uint64_t shown = shownRows(i);
        if (row < shown)
            return ahead_[i].row(text_, params_, row);
        row -= shown;
    }
    return ahead_.back().row(text_, params_, row);
}

std::uint64_t TextViewModel::rowContentEnd(std::uint64_t row) const {
    const RowSpan span = this->row(row);
    return RowContentEnd(text_, span.begin, span.end);
}

// A position in text not shown yet is taken to be in the last row shown before it.
std::uint64_t TextViewModel::rowAt(std::uint64_t pos) const {
    pos = std::min(pos, size());
    if (!rewrapping())
        return main_.rowAt(text_, params_, pos);
    std::uint64_t rows = prefixRows();
    if (pos < ahead_.front().begin()) {
        if (pos < main_.end())
            return main_.rowAt(text_, params_, pos);
        return rows > 0 ? rows - 1 : 0;
    }
    for (std::size_t i = 0; i < ahead_.size(); ++i) {
        const WrapLayout& layout = ahead_[i];
        const std::uint64_t shown = shownRows(i);
        if (i + 1 == ahead_.size() || pos < ahead_[i + 1].begin()) {
            const std::uint64_t inLayout =
                pos <= layout.end() ? layout.rowAt(text_, params_, pos) : shown;
            if (inLayout < shown)
                return rows + inLayout;
            return rows + shown > 0 ? rows + shown - 1 : 0;
        }
        rows += shown;
    }
    return rows > 0 ? rows - 1 : 0;
}

std::uint64_t TextViewModel::positionAt(std::uint64_t row, std::int64_t x) const {
    return PositionAtX(text_, params_.glyphs, this->row(row).begin, rowContentEnd(row), x);
}

std::uint64_t TextViewModel::byteAt(std::uint64_t row, std::int64_t x) const {
    return ByteAtX(text_, params_.glyphs, this->row(row).begin, rowContentEnd(row), x);
}

std::int64_t TextViewModel::xOf(std::uint64_t pos) const {
    pos = std::min(pos, size());
    const std::uint64_t row = rowAt(pos);
    return XOfPosition(text_, params_.glyphs, this->row(row).begin,
                       std::min(pos, rowContentEnd(row)));
}

void TextViewModel::select(std::uint64_t anchor, std::uint64_t caret) {
    selection_ = {std::min(anchor, size()), std::min(caret, size())};
}

std::pair<std::uint64_t, std::uint64_t> TextViewModel::wordAt(std::uint64_t pos) const {
    return WordAt(text_, pos);
}
