#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "ui/ControlTable.h"
#include "ui/win32/ConnectButtonPicture.h"
#include "ui/win32/ControlCreation.h"
#include "ui/win32/MainWindowState.h"
#include "ui/win32/RichText.h"
#include "ui/win32/TextColours.h"

namespace {

const char* const kClassName = "ComtermMainWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;
constexpr UINT_PTR kTimerId = 0;

HWND window = nullptr;
CreatedControls created;
HWND focusBeforeDeactivation = nullptr;

void ForgetControls() {
    window = nullptr;
    created = {};
    focusBeforeDeactivation = nullptr;
}

// A combo box has changed when it shows another text than the one the program last knew,
// whatever the notification that finds it so; choosing an entry and editing the text are
// changes even when they end on the same text. A list dismissed without a choice shows the
// known text again, which pointing into the list may have replaced.
void OnComboNotification(ControlId id, UINT code) {
    if (code == CBN_SELENDCANCEL) {
        RestoreComboText(id);
        return;
    }
    if (code == CBN_EDITCHANGE)
        FollowTextWithList(id);
    const bool changed = ComboTextChanged(id);
    RaiseControlEvent(id, changed || code == CBN_SELCHANGE || code == CBN_EDITCHANGE
                              ? ControlEventKind::Change
                              : ControlEventKind::Other);
}

// Only the user's actions reach the program, nothing the program's own changes cause.
void OnCommand(WPARAM wParam) {
    const int number = LOWORD(wParam) - kFirstCommandId;
    if (number < 0 || number >= kControlCount || ProgramIsChangingControls())
        return;
    const auto id = static_cast<ControlId>(number);
    const UINT code = HIWORD(wParam);
    switch (id) {
    case PortCombo:
    case BaudCombo:
        OnComboNotification(id, code);
        break;
    case ReceiveView:
    case SendEditor:
        // The rich-text controls keep reporting to the window they were made in, also after
        // moving into the splitter: updates of their drawing and focus, none a user's action
        // the program takes.
        break;
    case TransparencySpin:
        // An edit of the field is its one event here; the focus coming or going is none, but
        // a field left holding no value of the range shows the one in use again.
        if (code == EN_CHANGE) {
            CapSpinText();
            RaiseControlEvent(id, ControlEventKind::Change);
        } else if (code == EN_KILLFOCUS) {
            SetSpinValue(TransparencySpin, GetSpinValue(TransparencySpin));
        }
        break;
    default:
        RaiseControlEvent(id,
                          code == BN_CLICKED ? ControlEventKind::Click : ControlEventKind::Other);
        break;
    }
}

void OnNotify(const NMHDR& header) {
    if (header.hwndFrom == created.spinArrows && header.code == UDN_DELTAPOS &&
        !ProgramIsChangingControls())
        RaiseControlEvent(TransparencySpin, ControlEventKind::UpDown);
}

// Fills only the parts of the client area no control covers; the buttons that are drawn on
// the window's background (all but plain push buttons) cover nothing.
void EraseUncovered(HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    const HRGN uncovered = CreateRectRgnIndirect(&client);
    for (int id = 0; id < kControlCount; ++id) {
        const ControlKind kind = kControls[id].kind;
        const HWND control = created.controls[id];
        const bool drawnOnBackground = kind == ControlKind::CheckBox ||
                                       kind == ControlKind::OptionButton ||
                                       kind == ControlKind::ToggleButton;
        if (!control || drawnOnBackground || !IsWindowVisible(control))
            continue;
        RECT area;
        GetWindowRect(control, &area);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
        const HRGN covered = CreateRectRgnIndirect(&area);
        CombineRgn(uncovered, uncovered, covered, RGN_DIFF);
        DeleteObject(covered);
    }
    FillRgn(dc, uncovered, GetSysColorBrush(COLOR_BTNFACE));
    DeleteObject(uncovered);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(wParam);
        return 0;
    case WM_NOTIFY:
        OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId)
            RaiseTimerEvent();
        return 0;
    case WM_SIZE:
        // Laid out at once: while the border is dragged the system's sizing loop runs instead
        // of the program's.
        if (wParam == SIZE_MINIMIZED) {
            RaiseWindowEvent(EventType::Other);
        } else {
            ApplyLayout();
            RaiseWindowEvent(EventType::Resize);
        }
        return 0;
    case WM_MOVE:
        RaiseWindowEvent(EventType::Other);
        return 0;
    case WM_ACTIVATE:
        RaiseWindowEvent(EventType::Other);
        if (LOWORD(wParam) == WA_INACTIVE) {
            focusBeforeDeactivation = GetFocus();
        } else if (focusBeforeDeactivation && IsWindow(focusBeforeDeactivation)) {
            SetFocus(focusBeforeDeactivation);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (window)
            EraseUncovered(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // A dark scheme or high contrast turned on or off while the program runs.
        if (created.controls[ReceiveView])
            FollowSystemColours();
        break;
    case WM_CLOSE:
        // The window stays until the end of shutdown, which still reads the controls.
        RaiseWindowEvent(EventType::Close);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterMainWindowClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (!windowClass.hIcon)
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass); // fails harmlessly when already registered
}

SIZE OuterSize(int clientWidth, int clientHeight) {
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

} // namespace

HWND MainWindowHandle() {
    return window;
}

HWND ControlHandle(ControlId id) {
    return id >= 0 && id < kControlCount ? created.controls[id] : nullptr;
}

HWND SpinArrows() {
    return created.spinArrows;
}

void CreateMainWindow() {
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES |
                                                      ICC_UPDOWN_CLASS | ICC_BAR_CLASSES |
                                                      ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    RegisterMainWindowClass();
    DropBindingsAndEvents();
    ForgetComboItems();
    ForgetRichTextState();
    const SIZE outer = OuterSize(kInitialClientWidth, kInitialClientHeight);
    window = CreateWindowExA(kExStyle, kClassName, kPortClosedTitle, kStyle, 0, 0, outer.cx,
                             outer.cy, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    created = CreateControls(window);
    SetSplitterPosition(kInitialSplitterPosition);
    DropBindingsAndEvents(); // creation is the program's own doing
}

void DestroyMainWindow() {
    // Nothing the dying controls report may reach the program any more.
    ProgramChange destruction;
    DropBindingsAndEvents();
    if (window) {
        KillTimer(window, kTimerId);
        DestroyWindow(window);
    }
    ForgetControls();
}

void StartTimer(int periodMs) {
    SetTimer(window, kTimerId, static_cast<UINT>(periodMs), nullptr);
}

// A comm handle opened for synchronous reads signals nothing the message loop can wait on, and
// the port layer offers none: the tick takes what has arrived.
void WatchDescriptor(int, Handler) {}
void EndDescriptorWatch() {}

void ShowMainWindow() {
    // A window already maximised or minimised stays so.
    ShowWindow(window, IsZoomed(window)   ? SW_SHOWMAXIMIZED
                       : IsIconic(window) ? SW_SHOWMINIMIZED
                                          : SW_SHOWNORMAL);
    SetForegroundWindow(window);
    UpdateWindow(window);
}

WindowPlacement GetWindowPlacement() {
    RECT frame;
    RECT client;
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    return {frame.left, frame.top, client.right, client.bottom};
}

void PlaceWindow(const WindowPlacement& placement) {
    const WindowPlacement now = GetWindowPlacement();
    auto pick = [](int wanted, int current) { return wanted == kKeepPlacement ? current : wanted; };
    const SIZE outer =
        OuterSize(pick(placement.width, now.width), pick(placement.height, now.height));
    SetWindowPos(window, nullptr, pick(placement.x, now.x), pick(placement.y, now.y), outer.cx,
                 outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ApplyLayout() {
    if (!created.controls[ViewSplitter])
        return; // the window is being made
    RECT client;
    GetClientRect(window, &client);
    const Rect r = SplitterGeometryForClient(client.right, client.bottom);
    MoveWindow(created.controls[ViewSplitter], r.x, r.y, r.width, r.height, TRUE);
}

void SetTitle(const std::string& title) {
    SetWindowTextA(window, title.c_str());
}
