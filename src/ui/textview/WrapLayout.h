#pragma once
// Word-wrapped display rows over the text from a start position on, built incrementally: only
// bytes not yet seen are wrapped, so appending costs the same at any text size. The layout keeps
// the wrap state at the start of each block of text and the rows of the last block; the rows of
// an earlier block are found by wrapping that block again, and the last few so found are kept.
//
// Rows break after CR, LF or CR LF (the break bytes end their row), and where the next byte would
// pass the width: after the last space or tab of the row, or, in a word wider than the row, at the
// width itself. Spaces and tabs may hang past the width.

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "ui/textview/GlyphAdvances.h"
#include "ui/textview/RowIndex.h"
#include "ui/textview/TextStore.h"

struct WrapParams {
    GlyphAdvances glyphs;
    std::int64_t width = 0; // in the units of glyphs
};

// A display row's bytes, its ending CR, LF or CR LF included.
struct RowSpan {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

class WrapLayout {
  public:
    // A row never holds more bytes than this, so measuring or drawing one row stays cheap even
    // for a run of hanging spaces or of zero-width bytes.
    static constexpr std::uint64_t kMaxRowBytes = 4096;

    // For text kept in blocks of 2^blockShift bytes.
    explicit WrapLayout(unsigned blockShift, std::uint64_t begin = 0);

    std::uint64_t begin() const { return begin_; }
    // Bytes up to here are wrapped.
    std::uint64_t end() const { return end_; }

    // Wraps the bytes from end() up to stop.
    void wrap(const TextStore& text, const WrapParams& params, std::uint64_t stop);
    // The same in steps, giving up after the deadline, or before it when the next bytes are still
    // on their way from the disk; true when it reached stop. Meant for a pass over much text,
    // which it reads without pushing other blocks out of the cache.
    bool wrapUntil(const TextStore& text, const WrapParams& params, std::uint64_t stop,
                   std::chrono::steady_clock::time_point deadline);

    // There is always at least one row; the last one is still open and may be empty.
    std::uint64_t rowCount() const { return state_.rows + 1; }
    // The text and params must be those the layout was wrapped with.
    RowSpan row(const TextStore& text, const WrapParams& params, std::uint64_t row) const;
    // The row holding pos, which must lie within [begin(), end()]; end() is in the last row.
    std::uint64_t rowAt(const TextStore& text, const WrapParams& params, std::uint64_t pos) const;

  private:
    // Starts of the rows closed in the block of an index entry, numbered from that entry's open
    // row on; then the number and start of the row open after them.
    struct BlockRows {
        const std::vector<std::uint64_t>& starts;
        std::uint64_t nextRow;
        std::uint64_t nextBegin;
    };
    struct CachedRows {
        std::uint64_t entry = ~std::uint64_t{0};
        std::vector<std::uint64_t> starts;
        std::uint64_t lastUse = 0;
    };

    // Where the block of an entry starts, or the layout for its first entry.
    std::uint64_t entryPos(std::uint64_t entry) const;
    void wrapFrom(const TextStore& text, const WrapParams& params, std::uint64_t stop,
                  bool streaming);
    BlockRows rowsOfEntry(const TextStore& text, const WrapParams& params,
                          std::uint64_t entry) const;
    const std::vector<std::uint64_t>& closedInBlock(const TextStore& text, const WrapParams& params,
                                                    std::uint64_t entry) const;

    unsigned shift_;
    std::uint64_t begin_;
    std::uint64_t end_;
    RowIndex index_;                    // one entry for each block from begin_'s on
    WrapState state_;                   // at end_
    std::vector<std::uint64_t> recent_; // starts of the rows closed in the last entry's block
    mutable std::array<CachedRows, 8> cache_;
    mutable std::uint64_t useCount_ = 0;
};
