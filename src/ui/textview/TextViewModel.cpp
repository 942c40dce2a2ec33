#include "ui/textview/TextViewModel.h"

#include <algorithm>

#include "ui/textview/RowMeasure.h"
#include "ui/textview/WordBounds.h"

namespace {
// How much of the text's end a re-wrap lays out at once: several screens of any window.
constexpr std::uint64_t kTailBytes = 256 * 1024;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

TextViewModel::TextViewModel(unsigned blockShift, std::unique_ptr<BlockFile> file,
                             unsigned cacheBlocks)
    : text_(blockShift, std::move(file), cacheBlocks), main_(blockShift) {}

void TextViewModel::append(std::string_view bytes) {
    text_.append(bytes.data(), bytes.size());
    if (tail_)
        tail_->wrap(text_, params_, size());
    else
        main_.wrap(text_, params_, size());
    selection_ = {size(), size()};
}

void TextViewModel::clear() {
    text_.clear();
    main_ = WrapLayout(text_.blockShift());
    tail_.reset();
    selection_ = {};
}

std::string TextViewModel::text(std::uint64_t begin, std::uint64_t end) const {
    end = std::min(end, size());
    begin = std::min(begin, end);
    std::string result(end - begin, '\0');
    text_.copy(begin, end, result.data());
    return result;
}

void TextViewModel::setGlyphs(const GlyphAdvances& glyphs) {
    if (glyphs == params_.glyphs)
        return;
    params_.glyphs = glyphs;
    restartLayout();
}

void TextViewModel::setWidth(std::int64_t width) {
    if (width == params_.width)
        return;
    params_.width = width;
    restartLayout();
}

void TextViewModel::restartLayout() {
    main_ = WrapLayout(text_.blockShift());
    tail_.reset();
    const std::uint64_t anchor = size() > kTailBytes ? tailAnchor() : 0;
    if (anchor == 0) {
        main_.wrap(text_, params_, size());
        return;
    }
    tail_.emplace(text_.blockShift(), anchor);
    tail_->wrap(text_, params_, size());
}

// Where the end's layout starts: at a line start if one is near, else after a blank, as a row
// would start.
std::uint64_t TextViewModel::tailAnchor() const {
    const std::uint64_t from = size() - kTailBytes;
    const std::uint64_t lowest = from > kTailBytes ? from - kTailBytes : 0;
    for (std::uint64_t p = from; p > lowest; --p) {
        const char c = text_[p - 1];
        if (c == '\n' || c == '\r')
            return c == '\r' && text_[p] == '\n' ? p + 1 : p;
    }
    if (lowest == 0)
        return 0;
    for (std::uint64_t p = from; p < size() && p - from < WrapLayout::kMaxRowBytes; ++p) {
        if (IsBlank(text_[p]))
            return p + 1;
    }
    return from;
}

bool TextViewModel::continueRewrap(std::chrono::steady_clock::duration budget) {
    if (!tail_)
        return true;
    if (!main_.wrapUntil(text_, params_, size(), std::chrono::steady_clock::now() + budget))
        return false;
    tail_.reset();
    return true;
}

// While re-wrapping, the rows shown are those of the re-wrap from the start that begin before
// the end's layout, then the end's layout; text between the two is not shown yet.
std::uint64_t TextViewModel::prefixRows() const {
    const std::uint64_t stop = std::min(tail_->begin(), main_.end());
    return stop == 0 ? 0 : main_.rowAt(text_, params_, stop - 1) + 1;
}

std::uint64_t TextViewModel::rowCount() const {
    return tail_ ? prefixRows() + tail_->rowCount() : main_.rowCount();
}

RowSpan TextViewModel::row(std::uint64_t row) const {
    if (!tail_)
        return main_.row(text_, params_, row);
    const std::uint64_t prefix = prefixRows();
    if (row < prefix) {
        const RowSpan span = main_.row(text_, params_, row);
        return {span.begin, std::min(span.end, tail_->begin())};
    }
    return tail_->row(text_, params_, row - prefix);
}

std::uint64_t TextViewModel::rowContentEnd(std::uint64_t row) const {
    const RowSpan span = this->row(row);
    return RowContentEnd(text_, span.begin, span.end);
}

std::uint64_t TextViewModel::rowAt(std::uint64_t pos) const {
    pos = std::min(pos, size());
    if (!tail_)
        return main_.rowAt(text_, params_, pos);
    if (pos >= tail_->begin())
        return prefixRows() + tail_->rowAt(text_, params_, pos);
    if (pos < main_.end())
        return main_.rowAt(text_, params_, pos);
    const std::uint64_t prefix = prefixRows();
    return prefix > 0 ? prefix - 1 : 0;
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
