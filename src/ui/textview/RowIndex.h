#pragma once
// The wrap state at the start of each block of text a layout has reached, the first one at the
// layout's own start: a fixed 48 bytes for each block, however many rows it holds. The rows
// inside a block are found by wrapping that block again from its state.

#include <cstdint>

#include "ui/textview/ChunkedArray.h"

// Where the wrap stands at a point of the text: enough to go on wrapping from there without
// looking back.
struct WrapState {
    std::uint64_t rows = 0;      // rows closed so far, so the number of the open row
    std::uint64_t openBegin = 0; // start of the open row
    std::uint64_t breakPos = 0;  // after the open row's last space or tab; none if <= openBegin
    std::int64_t x = 0;          // where the next byte of the open row would start
    std::int64_t breakX = 0;     // x at breakPos
    bool afterCr = false;        // the last byte was a CR, so an LF right after belongs to it
};

class RowIndex {
  public:
    RowIndex();

    std::uint64_t size() const { return states_.size(); }
    WrapState operator[](std::uint64_t entry) const { return states_[entry]; }
    // Entries come in text order, so their rows never decrease.
    void push_back(const WrapState& state) { states_.push_back(state); }
    // The last entry whose open row is at most row; the first entry's must be.
    std::uint64_t entryOfRow(std::uint64_t row) const;

  private:
    ChunkedArray<WrapState> states_;
};
