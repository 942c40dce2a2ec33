#include "ui/Appearance.h"

#include <windows.h>

#include "shared/TerminalState.h"
#include "ui/FontChoice.h"
#include "ui/win32/MainWindowState.h"
#include "ui/win32/ModalDialogGuard.h"
#include "ui/win32/TextColours.h"
#include "ui/win32/TextFont.h"

namespace {

constexpr LONG kRegularWeight = 400;

// The one font of both text controls; a new one replaces it.
HFONT textFont = nullptr;

} // namespace

int FontHeight(int32_t points) {
    const HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int dotsPerInch = display ? GetDeviceCaps(display, LOGPIXELSY) : 96;
    if (display)
        DeleteDC(display);
    return -MulDiv(points, dotsPerInch, 72);
}

void ApplyStayOnTop(bool onTop) {
    SetWindowPos(MainWindowHandle(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 kKeepPlaceAndSize);
}

void MakeWindowLayered() {
    const HWND window = MainWindowHandle();
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
}

void ApplyWindowOpacity(int32_t alpha) {
    SetLayeredWindowAttributes(MainWindowHandle(), 0, static_cast<BYTE>(alpha & 0xFF), LWA_ALPHA);
}

void ApplyTextFont() {
    if (textFont)
        DeleteObject(textFont);
    const FontSettings& font = terminal.Font;
    textFont = CreateFontA(
        FontHeight(font.Size), 0, 0, 0, font.Style & Bold ? kBoldWeight : kRegularWeight,
        (font.Style & Italic) != 0, (font.Style & Underline) != 0, (font.Style & StrikeOut) != 0,
        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
        font.Style & ProofQuality ? PROOF_QUALITY : DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
        font.Name.c_str());
    for (const ControlId id : {ReceiveView, SendEditor})
        SendMessageA(ControlHandle(id), WM_SETFONT, reinterpret_cast<WPARAM>(textFont), TRUE);
    ApplyTextColours();
}
