#include "ui/win32/Splitter.h"

#include <algorithm>

#include "ui/SplitterRules.h"
#include "ui/win32/MainWindowState.h"

namespace {

const char* const kClassName = "ComtermViewSplitter";
constexpr int kGripGap = 2;
constexpr int kGripHeight = 3;

struct SplitterState {
    HWND window = nullptr;
    HWND upper = nullptr;
    HWND lower = nullptr;
    int upperHeight = 0;
    int lowerHeight = 0;
    int minUpper = 0;
    int minLower = 0;
    bool dragging = false;
    int grabOffset = 0;
};

// There is one splitter in the program.
SplitterState splitter;

int Height() {
    RECT client;
    GetClientRect(splitter.window, &client);
    return client.bottom;
}

void PlaceParts() {
    RECT client;
    GetClientRect(splitter.window, &client);
    const int width = client.right;
    MoveWindow(splitter.upper, 0, 0, width, splitter.upperHeight, TRUE);
    MoveWindow(splitter.lower, 0, splitter.upperHeight + kSplitterBarHeight, width,
               splitter.lowerHeight, TRUE);
    InvalidateRect(splitter.window, nullptr, TRUE);
}

// The lower part asks for wantedLower pixels; the minimum sizes decide.
void Share(int wantedLower) {
    const SplitterHeights heights =
        ApplySplitterMinimums(Height(), wantedLower, splitter.minUpper, splitter.minLower);
    splitter.upperHeight = heights.upper;
    splitter.lowerHeight = heights.lower;
    PlaceParts();
}

bool OnBar(int y) {
    return y >= splitter.upperHeight && y < splitter.upperHeight + kSplitterBarHeight;
}

void PaintGrip(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    RECT grip = {0, splitter.upperHeight + kGripGap, client.right,
                 splitter.upperHeight + kGripGap + kGripHeight};
    DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
    EndPaint(window, &paint);
}

LRESULT CALLBACK SplitterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_SIZE:
        // The send editor keeps its height; the receive view takes what is left.
        if (splitter.window)
            Share(splitter.lowerHeight);
        return 0;
    case WM_PAINT:
        PaintGrip(window);
        return 0;
    case WM_SETCURSOR: {
        POINT mouse;
        GetCursorPos(&mouse);
        ScreenToClient(window, &mouse);
        if (LOWORD(lParam) == HTCLIENT && OnBar(mouse.y)) {
            SetCursor(LoadCursorA(nullptr, IDC_SIZENS));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        if (OnBar(y)) {
            splitter.dragging = true;
            splitter.grabOffset = y - splitter.upperHeight;
            SetCapture(window);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (splitter.dragging) {
            const int upper = DraggedUpperHeight(y, splitter.grabOffset, Height());
            Share(Height() - kSplitterBarHeight - upper);
            RaiseControlEvent(ViewSplitter, ControlEventKind::Other);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (splitter.dragging) {
            splitter.dragging = false;
            if (message == WM_LBUTTONUP)
                ReleaseCapture();
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateViewSplitter(HWND parent, int x, int y, int width, int height, int commandId, HWND upper,
                        HWND lower) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = SplitterProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass); // fails harmlessly when already registered

    splitter = SplitterState{};
    const HWND window =
        CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                        height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(commandId)),
                        GetModuleHandleA(nullptr), nullptr);
    splitter.window = window;
    splitter.upper = upper;
    splitter.lower = lower;
    SetParent(upper, window);
    SetParent(lower, window);
    return window;
}

int GetSplitterPosition() {
    return splitter.upperHeight;
}

void SetSplitterPosition(int position) {
    Share(Height() - kSplitterBarHeight - position);
}

void SetSplitterMinimumSizes(int upper, int lower) {
    splitter.minUpper = upper;
    splitter.minLower = lower;
}
