#include "ui/win32/ControlCreation.h"

#include <commctrl.h>
#include <richedit.h>

#include "ui/ControlTable.h"
#include "ui/win32/AccessibleNames.h"
#include "ui/win32/ConnectButtonPicture.h"
#include "ui/win32/MainWindowState.h"
#include "ui/win32/RichEditClass.h"
#include "ui/win32/Splitter.h"

namespace {

constexpr int kDropDownHeight = 350;
constexpr LPARAM kLargestText = 0x7FFFFFFE;

HMENU CommandId(ControlId id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstCommandId + id));
}

HWND Create(HWND parent, const ControlSpec& entry, const char* className, DWORD style,
            DWORD exStyle = 0, int height = -1) {
    const HWND control =
        CreateWindowExA(exStyle, className, entry.caption, WS_CHILD | WS_VISIBLE | style, entry.x,
                        entry.y, entry.width, height < 0 ? entry.height : height, parent,
                        CommandId(entry.id), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return control;
}

// The closed box of a ComboBoxEx32 is as high as its selection field allows: the field's
// height is set so the whole box has the height the table gives. Some versions add to the
// height asked for, so the request is corrected by what the box then measures.
void FitClosedHeight(HWND combo, int wanted) {
    const auto inner = reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETCOMBOCONTROL, 0, 0));
    int request = static_cast<int>(SendMessageA(inner, CB_GETITEMHEIGHT, WPARAM(-1), 0));
    for (int step = 0; step < 3; ++step) {
        RECT box;
        GetWindowRect(combo, &box);
        const int extra = wanted - (box.bottom - box.top);
        if (extra == 0 || request + extra <= 0)
            return;
        request += extra;
        SendMessageA(combo, CB_SETITEMHEIGHT, WPARAM(-1), request);
    }
}

// F4, Alt+Down and Alt+Up open and close the list also from the text field, which some
// versions of the control leave to the field alone.
LRESULT CALLBACK RateFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR combo) {
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(field, RateFieldProc, 0);
    const bool listKey = (message == WM_KEYDOWN && wParam == VK_F4) ||
                         (message == WM_SYSKEYDOWN && (wParam == VK_DOWN || wParam == VK_UP));
    if (!listKey)
        return DefSubclassProc(field, message, wParam, lParam);
    const auto box = reinterpret_cast<HWND>(combo);
    SendMessageA(box, CB_SHOWDROPDOWN, !SendMessageA(box, CB_GETDROPPEDSTATE, 0, 0), 0);
    return 0;
}

HWND CreateCombo(HWND parent, const ControlSpec& entry, bool editable) {
    const DWORD style =
        WS_TABSTOP | WS_VSCROLL | (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
    const HWND combo = Create(parent, entry, WC_COMBOBOXEXA, style, 0, kDropDownHeight);
    FitClosedHeight(combo, entry.height);
    // With the visual styles the list is as high as a number of items rather than the height
    // the box was made with: it is told how many fit.
    const auto inner = reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETCOMBOCONTROL, 0, 0));
    const auto itemHeight = static_cast<int>(SendMessageA(inner, CB_GETITEMHEIGHT, 0, 0));
    if (itemHeight > 0)
        SendMessageA(inner, CB_SETMINVISIBLE, (kDropDownHeight - entry.height - 2) / itemHeight, 0);
    if (editable) {
        const auto field = reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0));
        SetWindowSubclass(field, RateFieldProc, 0, reinterpret_cast<DWORD_PTR>(combo));
    }
    return combo;
}

HWND CreateTextControl(HWND parent, const ControlSpec& entry, bool readOnly) {
    const DWORD style = WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL |
                        (readOnly ? ES_READONLY : ES_WANTRETURN);
    const HWND text = Create(parent, entry, RichEditClassName(), style, WS_EX_CLIENTEDGE, 0);
    SendMessageA(text, EM_EXLIMITTEXT, 0, kLargestText);
    return text;
}

// The arrows stand at the right end of the spin box's place and the edit field takes the
// rest; they are placed here rather than aligned by the up-down control, whose alignment
// overlaps the field's border by a width that depends on the visual style.
HWND CreateSpin(HWND parent, const ControlSpec& entry, HWND& arrows) {
    ControlSpec field = entry;
    field.width = entry.width - kSpinArrowWidth;
    const HWND edit =
        Create(parent, field, "EDIT", WS_TABSTOP | ES_RIGHT | ES_NUMBER, WS_EX_CLIENTEDGE);
    arrows =
        CreateWindowExA(0, UPDOWN_CLASSA, "",
                        WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                        entry.x + field.width, entry.y, kSpinArrowWidth, entry.height, parent,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageA(arrows, UDM_SETRANGE32, kSpinMinimum, kSpinMaximum);
    // Taking the buddy may resize the arrows to the style's own width.
    SetWindowPos(arrows, nullptr, entry.x + field.width, entry.y, kSpinArrowWidth, entry.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return edit;
}

// The text controls are made before the splitter that takes them.
HWND CreateControl(HWND parent, const ControlSpec& entry, CreatedControls& made) {
    switch (entry.kind) {
    case ControlKind::CheckBox:
        return Create(parent, entry, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX);
    case ControlKind::ToggleButton: {
        const HWND button =
            Create(parent, entry, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE);
        DrawPictureOnButton(button);
        return button;
    }
    case ControlKind::DropDownList:
        return CreateCombo(parent, entry, false);
    case ControlKind::DropDownCombo:
        return CreateCombo(parent, entry, true);
    case ControlKind::OptionButton:
        return Create(parent, entry, "BUTTON",
                      WS_TABSTOP | BS_AUTORADIOBUTTON | (entry.id == HexOption ? WS_GROUP : 0));
    case ControlKind::SpinBox:
        return CreateSpin(parent, entry, made.spinArrows);
    case ControlKind::PushButton:
        return Create(parent, entry, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON);
    case ControlKind::ReadOnlyText:
        return CreateTextControl(parent, entry, true);
    case ControlKind::EditableText:
        return CreateTextControl(parent, entry, false);
    case ControlKind::Splitter:
        return CreateViewSplitter(parent, entry.x, entry.y, entry.width, entry.height,
                                  kFirstCommandId + entry.id, made.controls[ReceiveView],
                                  made.controls[SendEditor]);
    }
    return nullptr;
}

HWND CreateTooltips(HWND window) {
    const HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, 400);
    return tips;
}

void AddTooltip(HWND tips, HWND window, HWND control, const char* text) {
    TOOLINFOA tool{};
    // The older structure size is understood by every version of the common controls.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace

CreatedControls CreateControls(HWND window) {
    CreatedControls made;
    const HWND tips = CreateTooltips(window);
    for (const ControlSpec& entry : kControls) {
        made.controls[entry.id] = CreateControl(window, entry, made);
        if (*entry.tooltip)
            AddTooltip(tips, window, made.controls[entry.id], entry.tooltip);
    }
    // Input method editors have no business in the receive view.
    SendMessageA(made.controls[ReceiveView], EM_SETEDITSTYLE, SES_NOIME, SES_NOIME);
    NameUncaptionedControls(made);
    return made;
}
