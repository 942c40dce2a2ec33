#include "ui/win32/MainWindowState.h"

namespace {

Handler enterHandler = nullptr;

// The editor handles every message first, so an Enter's line break is already in its text
// when the handler runs.
LRESULT CALLBACK SendEditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(editor, GWLP_USERDATA));
    const LRESULT result = CallWindowProcA(previous, editor, message, wParam, lParam);
    if (message == WM_CHAR && wParam == '\r' && enterHandler)
        enterHandler();
    return result;
}

} // namespace

void InstallSendEditorHook(Handler onEnter) {
    enterHandler = onEnter;
    const HWND editor = ControlHandle(SendEditor);
    const LONG_PTR previous =
        SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SendEditorProc));
    SetWindowLongPtrA(editor, GWLP_USERDATA, previous);
}
