#include "Win32WindowFixture.h"

#include "app/Startup.h"
#include "app/TerminalState.h"
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
    // A timer event closes the queue, so waiting for it never blocks for long.
    PostMessageA(MainWindowHandle(), WM_TIMER, 0, 0);
    std::vector<WindowEvent> events;
    for (;;) {
        const WindowEvent event = WaitForEvent();
        if (event.type == EventType::Timer)
            return events;
        events.push_back(event);
    }
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}
