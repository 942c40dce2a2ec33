#include "ui/win32/RichText.h"

#include <algorithm>
#include <richedit.h>

#include "ui/win32/MainWindowState.h"
#include "ui/win32/RichEditClass.h"
#include "ui/win32/WideText.h"
#include "ui/Window.h"

namespace {

constexpr UINT kWindows1251 = 1251;

// Whether the text last written into each control ended with a CR, whose LF may begin the next.
bool endsWithCarriageReturn[kControlCount] = {};

// The control reads CR CR LF as its soft line break, so each break is handed over as its own
// paragraph mark; a CR LF split between two writes is still one break.
std::string WithParagraphMarks(const std::string& text, bool& afterCarriageReturn) {
    const std::string mark = RichEditParagraphMark();
    std::string marked;
    marked.reserve(text.size());
    for (const char c : text) {
        const bool secondHalf = c == '\n' && afterCarriageReturn;
        afterCarriageReturn = c == '\r';
        if (secondHalf)
            continue;
        if (c == '\r' || c == '\n')
            marked += mark;
        else
            marked.push_back(c);
    }
    return marked;
}

// EM_REPLACESEL takes the text as it is, where EM_SETTEXTEX would read one beginning with
// "{\rtf" as RTF. The single-byte message reads bytes in the system's code page, so text beyond
// ASCII goes to the library's Unicode procedure instead; SendMessageW would not help, as the
// system turns it back into the code page for a control of the single-byte class.
void ReplaceSelection(HWND control, const std::string& text) {
    const WNDPROC unicode = RichEditUnicodeProcedure();
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !unicode) {
        SendMessageA(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    const std::wstring wide = WideText(text);
    CallWindowProcW(unicode, control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void AppendText(ControlId id, const std::string& text) {
    const HWND control = ControlHandle(id);
    CHARRANGE end = {-1, -1};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    ReplaceSelection(control, WithParagraphMarks(text, endsWithCarriageReturn[id]));
}

} // namespace

bool IsRichTextControl(ControlId id) {
    return id == ReceiveView || id == SendEditor;
}

// The controls keep paragraphs with a lone CR; the program sees CR LF.
std::string GetRichText(HWND control) {
    GETTEXTLENGTHEX measure = {GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, kWindows1251};
    const auto length = static_cast<int>(
        SendMessageA(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&measure), 0));
    if (length <= 0)
        return WindowText(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GETTEXTEX request = {static_cast<DWORD>(text.size()), GT_USECRLF, kWindows1251, nullptr,
                         nullptr};
    const auto got =
        static_cast<int>(SendMessageA(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                      reinterpret_cast<LPARAM>(text.data())));
    if (got <= 0)
        return WindowText(control);
    text.resize(static_cast<std::size_t>(got));
    return text;
}

void ForgetRichTextState() {
    std::fill(std::begin(endsWithCarriageReturn), std::end(endsWithCarriageReturn), false);
}

void SetRichText(ControlId id, const std::string& text) {
    ProgramChange change;
    SetWindowTextA(ControlHandle(id), "");
    endsWithCarriageReturn[id] = false;
    AppendText(id, text);
}

void AppendToView(ControlId id, const std::string& text) {
    if (!IsRichTextControl(id))
        return;
    ProgramChange change;
    AppendText(id, text);
    SendMessageA(ControlHandle(id), EM_SCROLLCARET, 0, 0);
}
