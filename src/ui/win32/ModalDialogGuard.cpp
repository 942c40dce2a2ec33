#include "ui/win32/ModalDialogGuard.h"

bool IsTopmost(HWND window) {
    return GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
}

BOOL CALLBACK ModalDialogGuard::Take(HWND window, LPARAM guard) {
    if (!IsWindowVisible(window))
        return TRUE;
    Remembered remembered{window, false, IsTopmost(window)};
    if (IsWindowEnabled(window) && window != GetForegroundWindow()) {
        EnableWindow(window, FALSE);
        remembered.disabled = true;
    }
    if (remembered.topmost)
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlaceAndSize);
    reinterpret_cast<ModalDialogGuard*>(guard)->windows_.push_back(remembered);
    return TRUE;
}

ModalDialogGuard::ModalDialogGuard() {
    EnumThreadWindows(GetCurrentThreadId(), Take, reinterpret_cast<LPARAM>(this));
    const HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    if (foreground && process == GetCurrentProcessId())
        owner_ = foreground;
}

ModalDialogGuard::~ModalDialogGuard() {
    for (const Remembered& remembered : windows_) {
        if (!IsWindow(remembered.window))
            continue;
        if (remembered.disabled)
            EnableWindow(remembered.window, TRUE);
        if (remembered.topmost)
            SetWindowPos(remembered.window, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlaceAndSize);
    }
}
