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

void WrapLayout::wrapSpan(const unsigned char* bytes, std::uint64_t count,
                          const WrapParams& params) {
    const std::uint64_t base = end_;
    for (std::uint64_t i = 0; i < count; ++i) {
        const unsigned char b = bytes[i];
        const std::uint64_t pos = base + i;
        if (b == '\r' || b == '\n') {
            if (b == '\n' && afterCr_ && pos == openBegin_)
                openBegin_ = pos + 1; // the LF of a CR LF joins the CR's row
            else
                closeRow(pos + 1);
            afterCr_ = b == '\r';
            continue;
        }
        afterCr_ = false;
        if (b == ' ' || b == '\t') {
            if (pos - openBegin_ >= kMaxRowBytes)
                breakBefore(pos, 0, params); // blanks may hang, so only the byte limit breaks
            x_ += AdvanceAt(params.glyphs, b, x_);
            breakPos_ = pos + 1;
            breakX_ = x_;
            continue;
        }
        const std::int64_t advance = params.glyphs.advance[b];
        if ((x_ + advance > params.width && pos > openBegin_) || pos - openBegin_ >= kMaxRowBytes)
            breakBefore(pos, advance, params);
        x_ += advance;
    }
    end_ = base + count;
}

void WrapLayout::breakBefore(std::uint64_t pos, std::int64_t advance, const WrapParams& params) {
    if (breakPos_ > openBegin_) {
        // Bytes after the last blank are one word without tabs, so they keep their widths.
        const std::int64_t wordX = x_ - breakX_;
        closeRow(breakPos_);
        x_ = wordX;
        if (x_ + advance <= params.width || pos == openBegin_)
            return;
    }
    closeRow(pos);
}

void WrapLayout::closeRow(std::uint64_t nextBegin) {
    rows_.push_back(openBegin_);
    openBegin_ = nextBegin;
    x_ = 0;
    breakPos_ = nextBegin;
}
