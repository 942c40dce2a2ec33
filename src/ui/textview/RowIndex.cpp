#include "ui/textview/RowIndex.h"

namespace {
constexpr unsigned kChunkShift = 10; // 48 KiB of states at a time
} // namespace

RowIndex::RowIndex() : states_(kChunkShift) {}

std::uint64_t RowIndex::entryOfRow(std::uint64_t row) const {
    std::uint64_t low = 0;
    std::uint64_t high = size();
    while (high - low > 1) {
        const std::uint64_t middle = low + (high - low) / 2;
        if (states_[middle].rows <= row)
            low = middle;
        else
            high = middle;
    }
    return low;
}
