#include "ui/win32/MainWindowState.h"
#include "ui/win32/ModalDialogGuard.h"

void ShowMessage(const std::string& text) {
    ModalDialogGuard guard;
    MessageBoxA(guard.owner(), text.c_str(), "", MB_OK);
}
