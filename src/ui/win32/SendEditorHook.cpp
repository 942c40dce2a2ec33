#include "ui/win32/MainWindowState.h"
#include "ui/win32/RichEditClass.h"

namespace {

Handler enterHandler = nullptr;

// The Enter keys are the hook's own: the rich-text control would end no line for Shift+Enter
// (a soft break) and its versions differ for Ctrl+Enter. So each key's character gives the one
// paragraph mark, undoable like typing, before the handler runs: 13 (Enter, keypad Enter,
// Shift+Enter) then sends the line, 10 (Ctrl+Enter) only breaks it. Alt+Enter comes as a
// system key, which inserts nothing.
LRESULT CALLBACK SendEditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(editor, GWLP_USERDATA));
    if (message == WM_KEYDOWN && wParam == VK_RETURN)
        return 0;
    if (message == WM_CHAR && (wParam == '\r' || wParam == '\n')) {
        CallWindowProcA(previous, editor, EM_REPLACESEL, TRUE,
                        reinterpret_cast<LPARAM>(RichEditParagraphMark()));
        if (wParam == '\r' && enterHandler)
            enterHandler();
        return 0;
    }
    return CallWindowProcA(previous, editor, message, wParam, lParam);
}

} // namespace

void InstallSendEditorHook(Handler onEnter) {
    enterHandler = onEnter;
    const HWND editor = ControlHandle(SendEditor);
    const LONG_PTR previous =
        SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SendEditorProc));
    SetWindowLongPtrA(editor, GWLP_USERDATA, previous);
}
