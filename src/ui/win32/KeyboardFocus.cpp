#include "ui/win32/KeyboardFocus.h"

#include <commctrl.h>

#include "ui/TabOrder.h"
#include "ui/win32/MainWindowState.h"

int FocusedControl(HWND focus) {
    return ControlHoldingFocus([focus](ControlId id) {
        const HWND control = ControlHandle(id);
        return control && (control == focus || IsChild(control, focus));
    });
}

namespace {

// The window inside a control that takes the focus: the text field of an editable combo box.
HWND FocusTarget(ControlId id) {
    const HWND control = ControlHandle(id);
    if (id == BaudCombo) {
        const auto edit = reinterpret_cast<HWND>(SendMessageA(control, CBEM_GETEDITCONTROL, 0, 0));
        if (edit)
            return edit;
    }
    if (id == PortCombo || id == BaudCombo) {
        const auto combo =
            reinterpret_cast<HWND>(SendMessageA(control, CBEM_GETCOMBOCONTROL, 0, 0));
        if (combo)
            return combo;
    }
    return control;
}

} // namespace

bool TakeFocusKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB)
        return false;
    const HWND window = MainWindowHandle();
    if (!window || (message.hwnd != window && !IsChild(window, message.hwnd)))
        return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
        return false;
    const int target =
        NextFocusControl(FocusedControl(GetFocus()), GetKeyState(VK_SHIFT) >= 0, [](ControlId id) {
            const HWND field = FocusTarget(id);
            return IsWindowEnabled(field) && IsWindowVisible(field);
        });
    if (target >= 0)
        SetFocus(FocusTarget(static_cast<ControlId>(target)));
    return true;
}
