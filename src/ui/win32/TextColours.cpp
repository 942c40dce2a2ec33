#include "ui/win32/TextColours.h"

#include <windows.h>

#include <richedit.h>

#include "shared/TerminalState.h"
#include "ui/Contrast.h"
#include "ui/win32/MainWindowState.h"

namespace {

bool HighContrastIsOn() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

Rgb FromColorRef(COLORREF colour) {
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

// Applied to the text already there and as the default for text added later.
void SetTextColour(HWND control, bool automatic, COLORREF colour) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    if (automatic)
        format.dwEffects = CFE_AUTOCOLOR;
    else
        format.crTextColor = colour;
    SendMessageA(control, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageA(control, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

// Whether the text now has the system's colour rather than its own.
bool textHasSystemColour = false;

void Apply(bool textToo) {
    const int32_t colour = terminal.Font.Color;
    const bool systemColours = colour == kAutomaticColour || HighContrastIsOn();
    const Rgb background = BackgroundForText(FromColorRef(static_cast<COLORREF>(colour)),
                                             FromColorRef(GetSysColor(COLOR_WINDOW)));
    textToo = textToo || systemColours != textHasSystemColour;
    textHasSystemColour = systemColours;
    for (const ControlId id : {ReceiveView, SendEditor}) {
        const HWND control = ControlHandle(id);
        if (textToo)
            SetTextColour(control, systemColours, static_cast<COLORREF>(colour));
        SendMessageA(control, EM_SETBKGNDCOLOR, systemColours,
                     systemColours ? 0 : RGB(background.red, background.green, background.blue));
    }
}

} // namespace

void ApplyTextColours() {
    Apply(true);
}

// Giving all the text its colour again goes through every run of a view that may hold a great
// deal, and the system's settings change often for other reasons: the text keeps its colour
// unless high contrast came or went.
void FollowSystemColours() {
    Apply(false);
}
