#include "ui/textview/WrapLayout.h"

#include <algorithm>

namespace {
// Bytes wrapped between two looks at the clock.
constexpr std::uint64_t kStepBytes = 64 * 1024;
} // namespace

WrapLayout::WrapLayout(std::uint64_t begin) : begin_(begin), end_(begin), openBegin_(begin) {}

void WrapLayout::wrap(const ByteStore& text, const WrapParams& params, std::uint64_t stop) {
    while (end_ < stop) {
        const std::span<const char> span = text.spanAt(end_);
        const std::uint64_t count = std::min<std::uint64_t>(span.size(), stop - end_);
        wrapSpan(reinterpret_cast<const unsigned char*>(span.data()), count, params);
    }
}

bool WrapLayout::wrapUntil(const ByteStore& text, const WrapParams& params, std::uint64_t stop,
                           std::chrono::steady_clock::time_point deadline) {
    while (end_ < stop) {
        wrap(text, params, std::min(stop, end_ + kStepBytes));
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return end_ >= stop;
}

// The loop a re-wrap of the whole text spends its time in: the state is kept in locals, and a
// byte that fits on the row costs a table look-up and a few comparisons.
void WrapLayout::wrapSpan(const unsigned char* bytes, std::uint64_t count,
                          const WrapParams& params) {
    const std::uint64_t base = end_;
    const std::int64_t width = params.width;
    std::int64_t x = x_;
    std::uint64_t open = openBegin_;
    std::uint64_t breakPos = breakPos_;
    std::int64_t breakX = breakX_;
    bool afterCr = afterCr_;
    const auto closeRow = [&](std::uint64_t next) {
        rows_.push_back(open);
        open = next;
        x = 0;
        breakPos = next;
    };
    // Moves the word after the row's last blank, if any, to a new row.
    const auto breakAtBlank = [&] {
        if (breakPos <= open)
            return false;
        const std::int64_t wordX = x - breakX; // a word has no tabs, so its bytes keep their widths
        closeRow(breakPos);
        x = wordX;
        return true;
    };
    for (std::uint64_t i = 0; i < count; ++i) {
        const unsigned char b = bytes[i];
        const std::uint64_t pos = base + i;
        if (b <= ' ') {
            if (b == '\r' || b == '\n') {
                if (b == '\n' && afterCr && pos == open)
                    open = pos + 1; // the LF of a CR LF joins the CR's row
                else
                    closeRow(pos + 1);
                afterCr = b == '\r';
                continue;
            }
            if (b == ' ' || b == '\t') {
                // Blanks may pass the width; only the byte limit breaks before one.
                if (pos - open >= kMaxRowBytes && !breakAtBlank())
                    closeRow(pos);
                x += AdvanceAt(params.glyphs, b, x);
                breakPos = pos + 1;
                breakX = x;
                afterCr = false;
                continue;
            }
        }
        const std::int64_t advance = params.glyphs.advance[b];
        const auto overflows = [&] {
            return (x + advance > width && pos > open) || pos - open >= kMaxRowBytes;
        };
        if (overflows() && (!breakAtBlank() || overflows()))
            closeRow(pos); // no blank to break at, or a word wider than the row
        x += advance;
        afterCr = false;
    }
    end_ = base + count;
    x_ = x;
    openBegin_ = open;
    breakPos_ = breakPos;
    breakX_ = breakX;
    afterCr_ = afterCr;
}
