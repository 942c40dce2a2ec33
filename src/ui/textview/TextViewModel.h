#pragma once
// A read-only, word-wrapped text view without any window: the text as its single-byte
// characters, the display rows, the selection, and the mapping between both. Positions are byte
// offsets into the text; horizontal offsets are in the units of the glyph advances given.
//
// A change of width or glyphs re-wraps in slices. The part of the text on screen and the end of
// the text are wrapped at once and shown after the rows re-wrapped so far, until the re-wrap
// from the start catches up with them; the text between them is not shown meanwhile.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/textview/WrapLayout.h"

struct TextSelection {
    std::uint64_t anchor = 0;
    std::uint64_t caret = 0;

    std::uint64_t begin() const { return anchor < caret ? anchor : caret; }
    std::uint64_t end() const { return anchor < caret ? caret : anchor; }
    bool empty() const { return anchor == caret; }
};

class TextViewModel {
  public:
    static constexpr unsigned kDefaultBlockShift = 16; // 64 KiB blocks of text

    // Full blocks of text go to the file, if one is given (see TextStore).
    explicit TextViewModel(unsigned blockShift = kDefaultBlockShift,
                           std::unique_ptr<BlockFile> file = nullptr,
                           unsigned cacheBlocks = TextStore::kDefaultCacheBlocks);

    // Appends at the end and puts an empty selection after the new text.
    void append(std::string_view bytes);
    void clear();
    std::uint64_t size() const { return text_.size(); }
    std::string text(std::uint64_t begin, std::uint64_t end) const;
    const TextStore& bytes() const { return text_; }

    // shownFrom is where the view's top row starts, when the view does not show the end; a
    // re-wrap lays out the rows from there first.
    const GlyphAdvances& glyphs() const { return params_.glyphs; }
    void setGlyphs(const GlyphAdvances& glyphs, std::optional<std::uint64_t> shownFrom = {});
    std::int64_t width() const { return params_.width; }
    void setWidth(std::int64_t width, std::optional<std::uint64_t> shownFrom = {});
    bool rewrapping() const { return !ahead_.empty(); }
    // Re-wraps for about the budget, or less when the text must first come from the disk; true
    // once the layout is complete again.
    bool continueRewrap(std::chrono::steady_clock::duration budget);

    std::uint64_t rowCount() const;
    RowSpan row(std::uint64_t row) const;
    // End of the row's visible bytes, before its line break.
    std::uint64_t rowContentEnd(std::uint64_t row) const;
    // The row showing pos (pos up to size()).
    std::uint64_t rowAt(std::uint64_t pos) const;
    // Hit test: the position nearest to x in the row.
    std::uint64_t positionAt(std::uint64_t row, std::int64_t x) const;
    // The byte under x in the row, for picking a word.
    std::uint64_t byteAt(std::uint64_t row, std::int64_t x) const;
    // Offset of pos from the start of rowAt(pos).
    std::int64_t xOf(std::uint64_t pos) const;

    const TextSelection& selection() const { return selection_; }
    void select(std::uint64_t anchor, std::uint64_t caret);
    void selectAll() { select(0, size()); }
    std::string selectedText() const { return text(selection_.begin(), selection_.end()); }
    // The span a double-click at pos selects.
    std::pair<std::uint64_t, std::uint64_t> wordAt(std::uint64_t pos) const;

  private:
    void restartLayout(std::optional<std::uint64_t> shownFrom);
    std::uint64_t rowStartNear(std::uint64_t pos) const;
    std::uint64_t prefixRows() const;
    std::uint64_t shownRows(std::size_t ahead) const;

    TextStore text_;
    WrapParams params_;
    WrapLayout main_;
    // While re-wrapping: layouts made ahead of the re-wrap from the start, in text order: the
    // part on screen if that is not the end, and the end, which takes the appends.
    std::vector<WrapLayout> ahead_;
    TextSelection selection_;
};
