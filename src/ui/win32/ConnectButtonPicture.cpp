#include "ui/win32/ConnectButtonPicture.h"

#include <cstddef>
#include <uxtheme.h>

#include "ui/ConnectPicture.h"
#include "ui/ControlTable.h"
#include "ui/win32/MainWindowState.h"

namespace {

HBITMAP connectedPicture = nullptr;
bool showingPicture = false;
WNDPROC buttonProc = nullptr;

// The face inside the border: deeper with visual styles, whose borders are wider.
int BorderWidth(HWND button) {
    return IsAppThemed() && GetWindowTheme(button) ? 4 : 2;
}

void DrawPicture(HWND button) {
    if (!showingPicture || !connectedPicture || !IsWindowVisible(button))
        return;
    BITMAP picture;
    GetObjectA(connectedPicture, sizeof picture, &picture);
    RECT face;
    GetClientRect(button, &face);
    const int border = BorderWidth(button);
    InflateRect(&face, -border, -border);
    const bool held = SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED;
    const int x = (face.left + face.right - picture.bmWidth) / 2 + (held ? 1 : 0);
    const int y = (face.top + face.bottom - picture.bmHeight) / 2 + (held ? 1 : 0);

    const HDC dc = GetDC(button);
    IntersectClipRect(dc, face.left, face.top, face.right, face.bottom);
    const HDC source = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(source, connectedPicture);
    BitBlt(dc, x, y, picture.bmWidth, picture.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    ReleaseDC(button, dc);
}

// Messages after which the button has painted its face, so the picture goes on top again.
bool RepaintsFace(UINT message) {
    switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case WM_SETTEXT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_TIMER:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(buttonProc, button, message, wParam, lParam);
    if (RepaintsFace(message))
        DrawPicture(button);
    return result;
}

// Rows of a 24-bit picture hold blue, green, red per pixel and are padded to 4 bytes.
void FillField(BYTE* bits, int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        BYTE* pixel = bits + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, pixel += 3) {
            pixel[0] = kPictureBlue;
            pixel[1] = kPictureGreen;
            pixel[2] = kPictureRed;
        }
    }
}

} // namespace

void DrawPictureOnButton(HWND button) {
    showingPicture = false;
    buttonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonProc)));
}

void BuildConnectedPicture() {
    if (connectedPicture) // built once, kept until exit
        return;
    RECT size;
    GetClientRect(ControlHandle(ConnectButton), &size);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.right;
    format.bmiHeader.biHeight = size.bottom;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    connectedPicture = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!connectedPicture)
        return;
    FillField(static_cast<BYTE*>(bits), size.right, size.bottom);
    // Without a drawing context the picture stays a plain field.
    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return;
    const HGDIOBJ oldPicture = SelectObject(dc, connectedPicture);
    const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, kPictureTextX, kPictureTextY, kDisconnectCaption, lstrlenA(kDisconnectCaption));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldPicture);
    DeleteDC(dc);
}

void ShowConnectionState(bool connected) {
    const HWND button = ControlHandle(ConnectButton);
    ProgramChange change;
    if (connected) {
        showingPicture = true;
        SetWindowTextA(button, kDisconnectCaption);
    } else {
        SetWindowTextA(button, kConnectCaption);
        showingPicture = false;
    }
    InvalidateRect(button, nullptr, TRUE);
}
