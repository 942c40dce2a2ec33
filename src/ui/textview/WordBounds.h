#pragma once
// The span a double-click selects.

#include <cstdint>
#include <utility>

#include "ui/textview/WrapLayout.h"

// The word (letters, digits, '_') or the run of spaces and tabs at pos; any other byte alone.
// At the end of the text, or on a line break, the span is empty. Each side reaches at most
// kMaxWordSide bytes, so a click on an endless run stays cheap.
constexpr std::uint64_t kMaxWordSide = 64 * 1024;
std::pair<std::uint64_t, std::uint64_t> WordAt(const TextStore& text, std::uint64_t pos);
// A space or a tab: a byte of the runs that a word may be followed by.
bool IsBlank(char c);
