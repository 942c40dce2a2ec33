#pragma once
// The text of the rich-text controls (ReceiveView, SendEditor) as Windows-1251 bytes, whatever
// the system's code page. Read with a CR LF for each paragraph mark; written as plain text,
// never read as RTF, with each line break (CR LF, a lone CR, a lone LF) as one paragraph mark.

#include <string>
#include <windows.h>

#include "ui/ControlId.h"

bool IsRichTextControl(ControlId id);
std::string GetRichText(HWND control);
// Replaces all of the control's text, without an undo record.
void SetRichText(ControlId id, const std::string& text);

// Drops what is kept about the text written into the controls of a window no longer there.
void ForgetRichTextState();
