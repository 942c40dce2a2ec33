#include "support/win32/Win32WindowFixture.h"

#include "app/Startup.h"
#include "shared/TerminalState.h"
#include "ui/win32/KeyboardFocus.h"

void Win32WindowTest::SetUp() {
    terminal = TerminalState{};
    CreateMainWindow();
    SetUpControls();
}

void Win32WindowTest::TearDown() {
    DestroyMainWindow();
}

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

std::vector<WindowEvent> Win32WindowTest::SettleAndTakeEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (TakeFocusKey(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return TakePendingEvents();
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
