#include "ui/win32/KeyboardFocus.h"

#include <commctrl.h>

#include "ui/win32/MainWindowState.h"

int FocusedControl(HWND focus) {
    for (int id = 0; id < ViewSplitter; ++id) {
        const HWND control = ControlHandle(static_cast<ControlId>(id));
        if (control && (control == focus || IsChild(control, focus)))
            return id;
    }
    return -1;
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
    const bool next = GetKeyState(VK_SHIFT) >= 0;
    const int count = ViewSplitter; // every control but the splitter can take the focus
    const int current = FocusedControl(GetFocus());
    const int start = current >= 0 ? current : (next ? count - 1 : 0);
    for (int step = 1; step <= count; ++step) {
        const auto id = static_cast<ControlId>((start + (next ? step : -step) + count) % count);
        const HWND target = FocusTarget(id);
        if (IsWindowEnabled(target) && IsWindowVisible(target)) {
            SetFocus(target);
            return true;
        }
    }
    return true;
}
