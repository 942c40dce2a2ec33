#include <windows.h>

#include <algorithm>
#include <commctrl.h>
#include <optional>
#include <vector>

#include "ui/ControlTable.h"
#include "ui/ListSelection.h"
#include "ui/SpinText.h"
#include "ui/win32/MainWindowState.h"
#include "ui/win32/RichText.h"

namespace {

// Each combo box's entries as added, with the way its list shows them, and the text it showed
// when the program last set it or heard of a change.
struct ComboItems {
    std::vector<std::string> entries;
    ItemDescription (*describe)(const std::string& entry) = nullptr;
    std::string known;
};
ComboItems comboItems[2];

ComboItems& ItemsOf(ControlId id) {
    return comboItems[id == PortCombo ? 0 : 1];
}

bool IsCombo(ControlId id) {
    return id == PortCombo || id == BaudCombo;
}

HWND ComboEdit(ControlId id) {
    return reinterpret_cast<HWND>(SendMessageA(ControlHandle(id), CBEM_GETEDITCONTROL, 0, 0));
}

void SelectEntry(ControlId id, int index) {
    SendMessageA(ControlHandle(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

} // namespace

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

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
    if (IsRichTextControl(id))
        return GetRichText(control);
    return WindowText(control);
}

namespace {

void SetComboText(ControlId id, const std::string& text) {
    if (id == BaudCombo) {
        SelectEntry(id, kNoEntry);
        SetWindowTextA(ComboEdit(id), text.c_str());
        FollowTextWithList(id);
        return;
    }
    if (const std::optional<int> entry = EntryForText(ItemsOf(id).entries, text))
        SelectEntry(id, *entry);
}

} // namespace

void SetText(ControlId id, const std::string& text) {
    ProgramChange change;
    const HWND control = ControlHandle(id);
    if (IsCombo(id)) {
        SetComboText(id, text);
        ItemsOf(id).known = GetText(id);
        return;
    }
    if (IsRichTextControl(id)) {
        SetRichText(id, text);
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

// Setting the arrows' position rewrites the field.
void CapSpinText() {
    const HWND field = ControlHandle(TransparencySpin);
    const std::optional<int> number = SpinTextNumber(WindowText(field));
    if (!number || *number <= kSpinMaximum)
        return;
    SetSpinValue(TransparencySpin, kSpinMaximum);
    const auto end = static_cast<WPARAM>(GetWindowTextLengthA(field));
    SendMessageA(field, EM_SETSEL, end, static_cast<LPARAM>(end));
}

// Set on the list inside, the selection leaves the field as it is.
void FollowTextWithList(ControlId id) {
    if (id != BaudCombo)
        return;
    const std::vector<std::string>& entries = ItemsOf(id).entries;
    const auto entry = std::find(entries.begin(), entries.end(), GetText(id));
    if (entry == entries.end())
        return;
    ProgramChange change;
    SendMessageA(
        reinterpret_cast<HWND>(SendMessageA(ControlHandle(id), CBEM_GETCOMBOCONTROL, 0, 0)),
        CB_SETCURSEL, static_cast<WPARAM>(entry - entries.begin()), 0);
}

bool ComboTextChanged(ControlId id) {
    const std::string shown = GetText(id);
    std::string& known = ItemsOf(id).known;
    if (shown == known)
        return false;
    known = shown;
    return true;
}

void RestoreComboText(ControlId id) {
    if (GetText(id) == ItemsOf(id).known)
        return;
    ProgramChange change;
    SetComboText(id, ItemsOf(id).known);
}

void ForgetComboItems() {
    for (ComboItems& items : comboItems)
        items = {};
}
