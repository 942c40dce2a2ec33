#pragma once
// Start positions of display rows, increasing, at two bytes per row: each start keeps only its
// low 16 bits; the high part comes from a small table holding, for every 64 KiB page of text,
// the first row that starts in or after it.

#include <cstdint>
#include <vector>

#include "ui/textview/ChunkedArray.h"

class RowIndex {
  public:
    RowIndex();

    std::uint64_t size() const { return low_.size(); }
    std::uint64_t operator[](std::uint64_t row) const;
    // start must be above the last start pushed.
    void push_back(std::uint64_t start);
    // The last row starting at or before pos; the index must hold a row starting there or before.
    std::uint64_t rowAt(std::uint64_t pos) const;
    void clear();

  private:
    ChunkedArray<std::uint16_t> low_;
    std::vector<std::uint64_t> pageFirstRow_;
};
