#include "ui/textview/RowIndex.h"

#include <algorithm>

namespace {
constexpr unsigned kPageShift = 16;
constexpr unsigned kBlockShift = 15; // 64 KiB blocks of 16-bit entries
} // namespace

RowIndex::RowIndex() : low_(kBlockShift) {}

std::uint64_t RowIndex::operator[](std::uint64_t row) const {
    // The page of a row's start is the last page whose first row is at or before it.
    const auto next = std::upper_bound(pageFirstRow_.begin(), pageFirstRow_.end(), row);
    const auto page = static_cast<std::uint64_t>(next - pageFirstRow_.begin()) - 1;
    return (page << kPageShift) | low_[row];
}

void RowIndex::push_back(std::uint64_t start) {
    const std::uint64_t page = start >> kPageShift;
    while (pageFirstRow_.size() <= page)
        pageFirstRow_.push_back(size());
    low_.push_back(static_cast<std::uint16_t>(start));
}

std::uint64_t RowIndex::rowAt(std::uint64_t pos) const {
    const std::uint64_t page = pos >> kPageShift;
    // Rows before the page's first row start earlier; rows from the next page's first row on
    // start later.
    std::uint64_t low = 0;
    std::uint64_t high = size();
    if (page < pageFirstRow_.size()) {
        low = pageFirstRow_[page] > 0 ? pageFirstRow_[page] - 1 : 0;
        if (page + 1 < pageFirstRow_.size())
            high = pageFirstRow_[page + 1];
    } else {
        low = size() - 1;
    }
    while (high - low > 1) {
        const std::uint64_t middle = low + (high - low) / 2;
        if ((*this)[middle] <= pos)
            low = middle;
        else
            high = middle;
    }
    return low;
}

void RowIndex::clear() {
    low_.clear();
    pageFirstRow_.clear();
    pageFirstRow_.shrink_to_fit();
}
