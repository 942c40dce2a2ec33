#pragma once
// Word-wrapped display rows over the text from a start position on, built incrementally: only
// bytes not yet seen are wrapped, so appending costs the same at any text size.
//
// Rows break after CR, LF or CR LF (the break bytes end their row), and where the next byte would
// pass the width: after the last space or tab of the row, or, in a word wider than the row, at the
// width itself. Spaces and tabs may hang past the width.

#include <chrono>
#include <cstdint>

#include "ui/textview/ChunkedArray.h"
#include "ui/textview/GlyphAdvances.h"
#include "ui/textview/RowIndex.h"

using ByteStore = ChunkedArray<char>;

struct WrapParams {
    GlyphAdvances glyphs;
    std::int64_t width = 0; // in the units of glyphs
};

class WrapLayout {
  public:
    // A row never holds more bytes than this, so measuring or drawing one row stays cheap even
    // for a run of hanging spaces or of zero-width bytes.
    static constexpr std::uint64_t kMaxRowBytes = 4096;

    explicit WrapLayout(std::uint64_t begin = 0);

    std::uint64_t begin() const { return begin_; }
    // Bytes up to here are wrapped.
    std::uint64_t end() const { return end_; }

    // Wraps the bytes from end() up to stop.
    void wrap(const ByteStore& text, const WrapParams& params, std::uint64_t stop);
    // The same in steps, giving up after the deadline; true when it reached stop.
    bool wrapUntil(const ByteStore& text, const WrapParams& params, std::uint64_t stop,
                   std::chrono::steady_clock::time_point deadline);

    // There is always at least one row; the last one is still open and may be empty.
    std::uint64_t rowCount() const { return rows_.size() + 1; }
    std::uint64_t rowBegin(std::uint64_t row) const {
        return row < rows_.size() ? rows_[row] : openBegin_;
    }
    std::uint64_t rowEnd(std::uint64_t row) const {
        return row + 1 < rowCount() ? rowBegin(row + 1) : end_;
    }
    // The row holding pos, which must lie within [begin(), end()]; end() is in the last row.
    std::uint64_t rowAt(std::uint64_t pos) const {
        return pos >= openBegin_ ? rows_.size() : rows_.rowAt(pos);
    }

  private:
    void wrapSpan(const unsigned char* bytes, std::uint64_t count, const WrapParams& params);

    std::uint64_t begin_;
    std::uint64_t end_;
    RowIndex rows_;              // every row but the open one
    std::uint64_t openBegin_;    // start of the open row
    std::int64_t x_ = 0;         // where the next byte of the open row would start
    std::uint64_t breakPos_ = 0; // after the open row's last space or tab; none if <= openBegin_
    std::int64_t breakX_ = 0;    // x_ at breakPos_
    bool afterCr_ = false;       // the last byte was a CR, so an LF right after belongs to it
};
