#include "support/win32/Win32WindowFixture.h"

#include <commctrl.h>
#include <oleacc.h>

#include "shared/Cp1251.h"
#include "ui/win32/KeyboardFocus.h"

RECT Win32WindowTest::PlaceOf(HWND control) const {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, MainWindowHandle(), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

SIZE Win32WindowTest::ClientSize() const {
    RECT client;
    GetClientRect(MainWindowHandle(), &client);
    return {client.right, client.bottom};
}

namespace {

// What the program's loop does with the messages waiting, before its own actions.
void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (TakeFocusKey(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The input and what it leads to, which the display server may report a moment later.
void Deliver() {
    const DWORD until = GetTickCount() + 50;
    while (GetTickCount() < until) {
        DispatchWaitingMessages();
        Sleep(5);
    }
}

INPUT KeyInput(WORD key, bool up, bool extended) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

} // namespace

INPUT MouseInput(POINT screen, DWORD buttons) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons;
    return input;
}

Place WindowUnderTest::PlaceOfControl(ControlId id) const {
    RECT place;
    GetWindowRect(ControlHandle(id), &place);
    // The spin box is its edit field and the arrows at its right end.
    if (id == TransparencySpin) {
        RECT arrows;
        GetWindowRect(SpinArrows(), &arrows);
        UnionRect(&place, &place, &arrows);
    }
    MapWindowPoints(nullptr, MainWindowHandle(), reinterpret_cast<POINT*>(&place), 2);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

Place WindowUnderTest::ClientArea() const {
    RECT client;
    GetClientRect(MainWindowHandle(), &client);
    return {0, 0, client.right, client.bottom};
}

bool WindowUnderTest::IsShown() const {
    return IsWindowVisible(MainWindowHandle());
}

std::vector<WindowEvent> WindowUnderTest::SettleAndTakeEvents() {
    DispatchWaitingMessages();
    return TakePendingEvents();
}

void WindowUnderTest::AskToClose() {
    SendMessageA(MainWindowHandle(), WM_CLOSE, 0, 0);
}

std::string GetTitle() {
    char title[512] = {};
    GetWindowTextA(MainWindowHandle(), title, sizeof title);
    return title;
}

void WindowUnderTest::ShowAndActivate() {
    ShowMainWindow();
    ASSERT_TRUE(BecomesForeground(MainWindowHandle()));
    SettleAndTakeEvents();
}

void WindowUnderTest::ClickOn(ControlId id) {
    SendMessageA(ControlHandle(id), BM_CLICK, 0, 0);
}

// A press and release of the left button on the upper or the lower arrow.
void WindowUnderTest::StepSpin(bool up) {
    RECT area;
    GetClientRect(SpinArrows(), &area);
    const LPARAM point = MAKELPARAM(area.right / 2, up ? 2 : area.bottom - 3);
    SendMessageA(SpinArrows(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(SpinArrows(), WM_LBUTTONUP, 0, point);
}

namespace {

HWND FieldOf(ControlId id) {
    if (id == TransparencySpin)
        return ControlHandle(id);
    return reinterpret_cast<HWND>(SendMessageA(ControlHandle(id), CBEM_GETEDITCONTROL, 0, 0));
}

} // namespace

void WindowUnderTest::TypeInto(ControlId id, const std::string& text, int start, int end) {
    SendMessageA(FieldOf(id), EM_SETSEL, start, end);
    for (const char c : text)
        SendMessageA(FieldOf(id), WM_CHAR, static_cast<BYTE>(c), 1);
}

std::pair<int, int> WindowUnderTest::SelectionIn(ControlId id) const {
    DWORD start = 0, end = 0;
    SendMessageA(FieldOf(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

// Real input, to the field or the inner combo box, whichever takes the focus.
void WindowUnderTest::PressDownIn(ControlId id) {
    const HWND field = FieldOf(id);
    SetFocus(field ? field
                   : reinterpret_cast<HWND>(
                         SendMessageA(ControlHandle(id), CBEM_GETCOMBOCONTROL, 0, 0)));
    PressKeys({VK_DOWN});
}

Place WindowUnderTest::PlaceOfSpinArrows() const {
    RECT place;
    GetWindowRect(SpinArrows(), &place);
    MapWindowPoints(nullptr, MainWindowHandle(), reinterpret_cast<POINT*>(&place), 2);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

namespace {

BOOL CALLBACK FindTooltips(HWND window, LPARAM found) {
    if (ClassOf(window) == TOOLTIPS_CLASSA && GetWindow(window, GW_OWNER) == MainWindowHandle()) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND TooltipsWindow() {
    HWND tips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTooltips, reinterpret_cast<LPARAM>(&tips));
    return tips;
}

std::string WindowUnderTest::TooltipOf(ControlId id) const {
    char text[256] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = MainWindowHandle();
    tool.uId = reinterpret_cast<UINT_PTR>(ControlHandle(id));
    tool.lpszText = text;
    SendMessageA(TooltipsWindow(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

std::pair<long, std::string> RoleAndName(HWND window) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object));
    if (!object)
        return {};
    VARIANT self{}; // CHILDID_SELF
    self.vt = VT_I4;
    VARIANT role{};
    BSTR name = nullptr;
    object->get_accRole(self, &role);
    object->get_accName(self, &name);
    object->Release();
    std::string text;
    for (const wchar_t* c = name; c && *c; ++c)
        text += UnicodeToCp1251(*c);
    SysFreeString(name);
    return {role.vt == VT_I4 ? role.lVal : 0, text};
}

std::string WindowUnderTest::AccessibleNameOf(ControlId id) const {
    return RoleAndName(ControlHandle(id)).second;
}

void WindowUnderTest::InEachLook(const std::function<void()>& check) {
    ShowAndActivate();
    check();
}

Place WindowUnderTest::ScreenArea() const {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

namespace {

Place PlaceOnScreen(HWND window) {
    RECT place;
    GetWindowRect(window, &place);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

// The list window of a combo box's inner combo box control.
HWND ListOf(ControlId id) {
    const auto inner =
        reinterpret_cast<HWND>(SendMessageA(ControlHandle(id), CBEM_GETCOMBOCONTROL, 0, 0));
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    EXPECT_TRUE(GetComboBoxInfo(inner, &parts));
    return parts.hwndList;
}

// As Tab from the control before it puts the focus there.
void TabInto(ControlId id) {
    SetFocus(ControlHandle(static_cast<ControlId>(id - 1)));
    PressKeys({VK_TAB});
}

} // namespace

Place WindowUnderTest::ScreenPlaceOfControl(ControlId id) const {
    return PlaceOnScreen(ControlHandle(id));
}

std::vector<WindowUnderTest::ListOpening> WindowUnderTest::ListOpenings() const {
    return {{"click on the arrow",
             [](ControlId id) {
                 TabInto(id);
                 RECT box;
                 GetClientRect(ControlHandle(id), &box);
                 ClickAt(ScreenPointOf(ControlHandle(id), box.right - 6, box.bottom / 2));
             }},
            {"F4",
             [](ControlId id) {
                 TabInto(id);
                 PressKeys({VK_F4});
             }},
            {"Alt+Down", [](ControlId id) {
                 TabInto(id);
                 PressKeys({VK_MENU, VK_DOWN});
             }}};
}

bool WindowUnderTest::ListIsOpen(ControlId id) const {
    return IsWindowVisible(ListOf(id));
}

Place WindowUnderTest::ScreenPlaceOfList(ControlId id) const {
    return PlaceOnScreen(ListOf(id));
}

bool WindowUnderTest::ListScrolls(ControlId id) const {
    SCROLLBARINFO scroll{};
    scroll.cbSize = sizeof scroll;
    GetScrollBarInfo(ListOf(id), OBJID_VSCROLL, &scroll);
    return !(scroll.rgstate[0] & STATE_SYSTEM_INVISIBLE);
}

void WindowUnderTest::CloseListWithEscape(ControlId) {
    PressKeys({VK_ESCAPE});
}

const int kListOverlap = 0;
// The boxes queue events of their own while a user opens and closes their lists.
const bool kListsQueueNoEvents = false;

bool BecomesForeground(HWND window) {
    for (int attempt = 0; attempt < 100 && GetForegroundWindow() != window; ++attempt) {
        SetForegroundWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    return GetForegroundWindow() == window;
}

void PressKeys(const std::vector<WORD>& keys, bool extended) {
    std::vector<INPUT> inputs;
    for (std::size_t i = 0; i < keys.size(); ++i)
        inputs.push_back(KeyInput(keys[i], false, extended && i + 1 == keys.size()));
    for (std::size_t i = keys.size(); i-- > 0;)
        inputs.push_back(KeyInput(keys[i], true, extended && i + 1 == keys.size()));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Deliver();
}

void TypeKeys(const std::string& text) {
    for (const char c : text) {
        const SHORT key = VkKeyScanA(c);
        if (key & 0x100)
            PressKeys({VK_SHIFT, static_cast<WORD>(key & 0xFF)});
        else
            PressKeys({static_cast<WORD>(key & 0xFF)});
    }
}

POINT ScreenPointOf(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return point;
}

void MoveMouseTo(POINT screen) {
    INPUT move = MouseInput(screen, 0);
    SendInput(1, &move, sizeof(INPUT));
    Deliver();
}

void ClickAt(POINT screen) {
    INPUT inputs[3] = {MouseInput(screen, 0), MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
                       MouseInput(screen, MOUSEEVENTF_LEFTUP)};
    SendInput(3, inputs, sizeof(INPUT));
    Deliver();
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {

// What a test does with the dialog once it is open, and the button that then closes it.
std::function<void(HWND)> inspectDialog;
int closingButton = IDCANCEL;
bool dialogSeen = false;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the dialog's own message loop.
void CALLBACK LookForDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    dialogSeen = true;
    inspectDialog(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(closingButton, BN_CLICKED), 0);
}

} // namespace

void WhileDialogIsOpen(const std::function<void()>& open, std::function<void(HWND)> inspect,
                       int button) {
    inspectDialog = std::move(inspect);
    closingButton = button;
    dialogSeen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, LookForDialog);
    open();
    KillTimer(nullptr, timer);
    EXPECT_TRUE(dialogSeen);
}

std::string ItemText(HWND dialog, int item) {
    char text[256] = {};
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return text;
}

CHARFORMATA DefaultFormat(ControlId id) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(ControlHandle(id), EM_GETCHARFORMAT, SCF_DEFAULT,
                 reinterpret_cast<LPARAM>(&format));
    return format;
}
