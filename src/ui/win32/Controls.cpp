#include <windows.h>

#include <algorithm>
#include <commctrl.h>
#include <richedit.h>
#include <vector>

#include "shared/AsciiCase.h"
#include "ui/ControlTable.h"
#include "ui/win32/MainWindowState.h"

namespace {

constexpr UINT kWindows1251 = 1251;

// Each combo box's entries as added, with the way its list shows them.
struct ComboItems {
    std::vector<std::string> entries;
    ItemDescription (*describe)(const std::string& entry) = nullptr;
};
ComboItems comboItems[2];

ComboItems& ItemsOf(ControlId id) {
    return comboItems[id == PortCombo ? 0 : 1];
}

bool IsCombo(ControlId id) {
    return id == PortCombo || id == BaudCombo;
}

bool IsTextControl(ControlId id) {
    return id == ReceiveView || id == SendEditor;
}

HWND ComboEdit(ControlId id) {
    return reinterpret_cast<HWND>(SendMessageA(ControlHandle(id), CBEM_GETEDITCONTROL, 0, 0));
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

// The rich-text controls keep paragraphs with a lone CR; the program sees CR LF.
std::string RichText(HWND control) {
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

// Replaces the selection, or everything, without an undo record; the older rich-text
// library lacks EM_SETTEXTEX and takes the plain messages instead.
void PutRichText(HWND control, const std::string& text, bool selectionOnly) {
    SETTEXTEX how = {static_cast<DWORD>(selectionOnly ? ST_SELECTION : ST_DEFAULT), kWindows1251};
    if (SendMessageA(control, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                     reinterpret_cast<LPARAM>(text.c_str())))
        return;
    if (selectionOnly)
        SendMessageA(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    else
        SetWindowTextA(control, text.c_str());
}

void SelectEntry(ControlId id, int index) {
    SendMessageA(ControlHandle(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

} // namespace

bool IsChecked(ControlId id) {
    return SendMessageA(ControlHandle(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(ControlId id, bool checked) {
    ProgramChange change;
    SendMessageA(ControlHandle(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string GetText(ControlId id) {
    const HWND control = ControlHandle(id);
    if (id == BaudCombo)
        return WindowText(ComboEdit(id));
    if (id == PortCombo) {
        const auto index = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
        const std::vector<std::string>& entries = ItemsOf(id).entries;
        return index >= 0 && index < static_cast<int>(entries.size()) ? entries[index] : "";
    }
    if (IsTextControl(id))
        return RichText(control);
    return WindowText(control);
}

void SetText(ControlId id, const std::string& text) {
    ProgramChange change;
    const HWND control = ControlHandle(id);
    if (id == BaudCombo) {
        SelectEntry(id, -1);
        SetWindowTextA(ComboEdit(id), text.c_str());
        return;
    }
    if (id == PortCombo) {
        if (text.empty()) {
            SelectEntry(id, -1);
            return;
        }
        const std::vector<std::string>& entries = ItemsOf(id).entries;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (StartsWithIgnoringAsciiCase(entries[i], text)) {
                SelectEntry(id, static_cast<int>(i));
                return;
            }
        }
        return;
    }
    if (IsTextControl(id)) {
        PutRichText(control, text, false);
        return;
    }
    SetWindowTextA(control, text.c_str());
}

void AddItem(ControlId id, const std::string& text) {
    if (!IsCombo(id))
        return;
    ProgramChange change;
    ComboItems& items = ItemsOf(id);
    items.entries.push_back(text);
    const std::string shown = items.describe ? items.describe(text).text : text;
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT;
    item.iItem = -1;
    item.pszText = const_cast<char*>(shown.c_str());
    SendMessageA(ControlHandle(id), CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// The list shows the descriptions from now on, also of the entries already there; the
// entries' own texts stay with the program.
void SetItemDescriber(ControlId id, ItemDescription (*describe)(const std::string& entry)) {
    if (!IsCombo(id))
        return;
    ProgramChange change;
    ComboItems& items = ItemsOf(id);
    items.describe = describe;
    for (std::size_t i = 0; i < items.entries.size(); ++i) {
        const std::string shown = describe ? describe(items.entries[i]).text : items.entries[i];
        COMBOBOXEXITEMA item{};
        item.mask = CBEIF_TEXT;
        item.iItem = static_cast<INT_PTR>(i);
        item.pszText = const_cast<char*>(shown.c_str());
        SendMessageA(ControlHandle(id), CBEM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

// The arrows keep their last valid position while the field holds other text; the range is
// enforced here too, whatever the common controls' version does.
int GetSpinValue(ControlId) {
    const auto value = static_cast<int>(SendMessageA(SpinArrows(), UDM_GETPOS32, 0, 0));
    return std::clamp(value, kSpinMinimum, kSpinMaximum);
}

void SetSpinValue(ControlId, int value) {
    ProgramChange change;
    SendMessageA(SpinArrows(), UDM_SETPOS32, 0, value);
}

void AppendToView(ControlId id, const std::string& text) {
    if (!IsTextControl(id))
        return;
    ProgramChange change;
    const HWND control = ControlHandle(id);
    CHARRANGE end = {-1, -1};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    PutRichText(control, text, true);
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
}

void ForgetComboItems() {
    for (ComboItems& items : comboItems)
        items = {};
}
