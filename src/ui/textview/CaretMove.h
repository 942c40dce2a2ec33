#pragma once
// Where the keyboard moves the caret of a text view.

#include <cstdint>

#include "ui/textview/TextViewModel.h"

enum class CaretMove {
    Left,
    Right,
    WordLeft,  // to the start of this or the previous word
    WordRight, // to the start of the next word
    Up,
    Down,
    PageUp,
    PageDown,
    RowStart,
    RowEnd,
    TextStart,
    TextEnd
};

// goalX is the column that vertical moves aim for; pageRows the rows a page move covers.
std::uint64_t MovedCaret(const TextViewModel& model, std::uint64_t caret, CaretMove move,
                         std::int64_t goalX, std::uint64_t pageRows);
