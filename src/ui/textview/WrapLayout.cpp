#include "ui/textview/WrapLayout.h"

#include <algorithm>

#include "ui/textview/LeastRecentlyUsed.h"

namespace {
// Bytes wrapped between two looks at the clock.
constexpr std::uint64_t kStepBytes = 64 * 1024;

// One byte by the full rules; the starts of the rows it closes are added to closed.
[[gnu::noinline]] void WrapByte(WrapState& state, unsigned char b, std::uint64_t pos,
                                const WrapParams& params, std::vector<std::uint64_t>& closed) {
    const auto closeRow = [&](std::uint64_t next) {
        closed.push_back(state.openBegin);
        ++state.rows;
        state.openBegin = next;
        state.x = 0;
        state.breakPos = next;
    };
    // Moves the word after the row's last blank, if any, to a new row.
    const auto breakAtBlank = [&] {
        if (state.breakPos <= state.openBegin)
            return false;
        // A word has no tabs, so its bytes keep their widths.
        const std::int64_t wordX = state.x - state.breakX;
        closeRow(state.breakPos);
        state.x = wordX;
        return true;
    };
    if (b == '\r' || b == '\n') {
        if (b == '\n' && state.afterCr && pos == state.openBegin)
            state.openBegin = pos + 1; // the LF of a CR LF joins the CR's row
        else
            closeRow(pos + 1);
        state.afterCr = b == '\r';
        return;
    }
    state.afterCr = false;
    if (b == ' ' || b == '\t') {
        // Blanks may pass the width; only the byte limit breaks before one.
        if (pos - state.openBegin >= WrapLayout::kMaxRowBytes && !breakAtBlank())
            closeRow(pos);
        state.x += AdvanceAt(params.glyphs, b, state.x);
        state.breakPos = pos + 1;
        state.breakX = state.x;
        return;
    }
    const std::int64_t advance = params.glyphs.advance[b];
    const auto overflows = [&] {
        return (state.x + advance > params.width && pos > state.openBegin) ||
               pos - state.openBegin >= WrapLayout::kMaxRowBytes;
    };
    if (overflows() && (!breakAtBlank() || overflows()))
        closeRow(pos); // no blank to break at, or a word wider than the row
    state.x += advance;
}

// The loop a re-wrap of the whole text spends its time in. A byte that fits on the row, and a
// space that does not end it, cost a table look-up and a few comparisons on values held in
// registers; any other byte goes to WrapByte. The starts of the rows closed are added to closed.
void WrapBytes(WrapState& state, const unsigned char* bytes, std::uint64_t base,
               std::uint64_t count, const WrapParams& params, std::vector<std::uint64_t>& closed) {
    const std::int32_t* advance = params.glyphs.advance.data();
    const std::int64_t width = params.width;
    const std::int64_t spaceAdvance = advance[static_cast<unsigned char>(' ')];
    // The state in locals, so that they stay in registers; it goes back to memory only around
    // WrapByte.
    std::int64_t x = state.x;
    std::uint64_t open = state.openBegin;
    std::uint64_t breakPos = state.breakPos;
    std::int64_t breakX = state.breakX;
    std::uint64_t rows = state.rows;
    // Only WrapByte looks at whether the byte before was a CR, and only bytes that go there can
    // be one; so a byte handled here clears it just by being handled.
    std::uint64_t crEnd = state.afterCr ? base : ~std::uint64_t{0}; // just after the last CR
    std::uint64_t limit = open + WrapLayout::kMaxRowBytes;          // where the row must end
    for (std::uint64_t i = 0; i < count; ++i) {
        const unsigned char b = bytes[i];
        const std::uint64_t pos = base + i;
        if (b > ' ') {
            const std::int64_t next = x + advance[b];
            if ((next <= width || pos == open) && pos < limit) {
                x = next;
                continue;
            }
        } else if (b == ' ' && pos < limit) {
            x += spaceAdvance;
            breakPos = pos + 1;
            breakX = x;
            continue;
        }
        WrapState slow{rows, open, breakPos, x, breakX, pos == crEnd};
        WrapByte(slow, b, pos, params, closed);
        x = slow.x;
        open = slow.openBegin;
        breakPos = slow.breakPos;
        breakX = slow.breakX;
        rows = slow.rows;
        if (slow.afterCr)
            crEnd = pos + 1;
        limit = open + WrapLayout::kMaxRowBytes;
    }
    state = {rows, open, breakPos, x, breakX, base + count == crEnd};
}
} // namespace

WrapLayout::WrapLayout(unsigned blockShift, std::uint64_t begin)
    : shift_(blockShift), begin_(begin), end_(begin) {
    state_.openBegin = begin;
    state_.breakPos = begin;
    index_.push_back(state_);
}

void WrapLayout::wrap(const TextStore& text, const WrapParams& params, std::uint64_t stop) {
    wrapFrom(text, params, stop, false);
}

bool WrapLayout::wrapUntil(const TextStore& text, const WrapParams& params, std::uint64_t stop,
                           std::chrono::steady_clock::time_point deadline) {
    while (end_ < stop) {
        const std::uint64_t from = end_;
        wrapFrom(text, params, std::min(stop, end_ + kStepBytes), true);
        if (end_ == from || std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return end_ >= stop;
}

void WrapLayout::wrapFrom(const TextStore& text, const WrapParams& params, std::uint64_t stop,
                          bool streaming) {
    const std::uint64_t mask = (std::uint64_t{1} << shift_) - 1;
    while (end_ < stop) {
        const std::span<const char> span =
            streaming ? text.streamAt(end_, false) : text.spanAt(end_);
        if (span.empty())
            return; // on its way from the disk
        const std::uint64_t count = std::min<std::uint64_t>(span.size(), stop - end_);
        WrapBytes(state_, reinterpret_cast<const unsigned char*>(span.data()), end_, count, params,
                  recent_);
        end_ += count;
        if ((end_ & mask) == 0) {
            index_.push_back(state_);
            recent_.clear();
        }
    }
}

std::uint64_t WrapLayout::entryPos(std::uint64_t entry) const {
    return entry == 0 ? begin_ : ((begin_ >> shift_) + entry) << shift_;
}

WrapLayout::BlockRows WrapLayout::rowsOfEntry(const TextStore& text, const WrapParams& params,
                                              std::uint64_t entry) const {
    if (entry + 1 == index_.size())
        return {recent_, state_.rows, state_.openBegin};
    // The LF of a CR LF that the block's end splits joins the CR's row, so the next row starts
    // after it.
    const WrapState next = index_[entry + 1];
    const std::uint64_t at = entryPos(entry + 1);
    const bool joinsLf = next.afterCr && next.openBegin == at && at < end_ && text[at] == '\n';
    return {closedInBlock(text, params, entry), next.rows, joinsLf ? at + 1 : next.openBegin};
}

const std::vector<std::uint64_t>& WrapLayout::closedInBlock(const TextStore& text,
                                                            const WrapParams& params,
                                                            std::uint64_t entry) const {
    for (CachedRows& rows : cache_) {
        if (rows.entry == entry) {
            rows.lastUse = ++useCount_;
            return rows.starts;
        }
    }
    CachedRows& rows = LeastRecentlyUsed(cache_);
    rows.entry = entry;
    rows.lastUse = ++useCount_;
    rows.starts.clear();
    std::uint64_t pos = entryPos(entry);
    const std::uint64_t stop = entryPos(entry + 1);
    WrapState state = index_[entry];
    while (pos < stop) {
        const std::span<const char> span = text.spanAt(pos);
        const std::uint64_t count = std::min<std::uint64_t>(span.size(), stop - pos);
        WrapBytes(state, reinterpret_cast<const unsigned char*>(span.data()), pos, count, params,
                  rows.starts);
        pos += count;
    }
    return rows.starts;
}

// The rows closed in a block are numbered from its entry's open row on. A row past them only
// comes from a block read back other than it was wrapped (a failed read), and is then empty
// rather than out of range.
RowSpan WrapLayout::row(const TextStore& text, const WrapParams& params, std::uint64_t row) const {
    row = std::min(row, state_.rows);
    if (row == state_.rows)
        return {state_.openBegin, end_};
    const std::uint64_t entry = index_.entryOfRow(row);
    const BlockRows rows = rowsOfEntry(text, params, entry);
    const std::uint64_t i = row - index_[entry].rows;
    if (i >= rows.starts.size())
        return {rows.nextBegin, rows.nextBegin};
    return {rows.starts[i], i + 1 < rows.starts.size() ? rows.starts[i + 1] : rows.nextBegin};
}

std::uint64_t WrapLayout::rowAt(const TextStore& text, const WrapParams& params,
                                std::uint64_t pos) const {
    if (pos >= state_.openBegin)
        return state_.rows;
    const std::uint64_t entry = (std::max(pos, begin_) >> shift_) - (begin_ >> shift_);
    const BlockRows rows = rowsOfEntry(text, params, entry);
    if (pos >= rows.nextBegin) {
        // The row open at the block's end may have been split later, at a blank before pos.
        std::uint64_t found = rows.nextRow;
        while (found < state_.rows && row(text, params, found + 1).begin <= pos)
            ++found;
        return found;
    }
    // The first row closed here may start after pos: at the block's start, pos is then the LF of
    // a CR LF whose CR ended the block before.
    const auto after = std::upper_bound(rows.starts.begin(), rows.starts.end(), pos);
    const auto starting = static_cast<std::uint64_t>(after - rows.starts.begin());
    const std::uint64_t first = index_[entry].rows;
    return starting > 0 ? first + starting - 1 : (first > 0 ? first - 1 : 0);
}
