#pragma once
// What assistive clients read the receive view's text by: characters, the words a double-click
// selects, display rows and paragraphs, and the part of the text their 32-bit offsets reach.
// Positions are byte offsets into the text, as in TextViewModel.

#include <cstdint>

#include "ui/textview/TextViewModel.h"

// Clients count characters in 32 bits: they reach the last kMaxExposedChars bytes of the text,
// the part ending at its end. One less than INT_MAX: Qt 6.4's AT-SPI bridge answers a range's
// extents by a loop `i <= end` over int offsets, taking the character count for an end of -1,
// which at INT_MAX would never end. An end near INT_MAX given explicitly stalls it all the
// same, in every Qt 6.4 text widget: a fault of Qt's, not to be mended here.
constexpr std::uint64_t kMaxExposedChars = 0x7FFFFFFE;
constexpr std::uint64_t ExposedStart(std::uint64_t size) {
    return size > kMaxExposedChars ? size - kMaxExposedChars : 0;
}

// The most bytes one answer to a client holds. A view may hold gigabytes, most of them in its
// file, and the window answers while the client waits: 512 KiB is read back cold from the file
// (8 blocks), converted and handed over in a few milliseconds (at most 12 ms measured on a
// loaded 2-core machine with the file's pages dropped, 1 MiB took up to 69 ms), well inside the
// 50 ms in which any request is to be answered; and it is hundreds of screens of text, more
// than any reader speaks at a time.
constexpr std::uint64_t kMaxAnswerBytes = std::uint64_t{1} << 19;

enum class TextUnit { Character, Word, Row, Paragraph };

// The unit holding the byte at pos, never longer than kMaxAnswerBytes:
// - a word as a double-click selects it with the blanks after it (the blanks alone after a line
//   break), a line break (CR, LF or CR LF) being a word of its own;
//   a run of kMaxWordSide bytes or more is answered in pieces within multiples of kMaxWordSide,
//   so that the word after a piece always starts at its end;
// - a row as the view wraps it, its line break included; in text a re-wrap has not laid out yet,
//   the character;
// - a paragraph: the text after a line break up to and with the next one. A longer paragraph is
//   answered in pieces that start at multiples of kMaxAnswerBytes (one byte earlier where a
//   CR LF stands across one, which stays one break), so that every position finds its piece
//   within two pieces' reading.
// At the end of the text (pos == size) the row and the paragraph are the last ones, which are
// empty after a final line break; a character or a word there is empty.
RowSpan TextUnitAt(const TextViewModel& model, std::uint64_t pos, TextUnit unit);
