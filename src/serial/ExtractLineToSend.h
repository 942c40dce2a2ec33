#pragma once

#include <string>

// The line that the last line feed of the send editor's text ends, with every CR and LF
// removed; empty when the text has no line feed. The caller adds the one CR that is sent.
std::string ExtractLineToSend(const std::string& editorText);
