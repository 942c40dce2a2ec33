#include <windows.h>

#include <commdlg.h>
#include <cstring>

#include "shared/TerminalState.h"
#include "ui/Appearance.h"
#include "ui/win32/ModalDialogGuard.h"
#include "ui/win32/TextFont.h"

namespace {

constexpr DWORD kChooserFlags =
    CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;

LOGFONTA PresetFrom(const FontSettings& font) {
    LOGFONTA preset{};
    std::strncpy(preset.lfFaceName, font.Name.c_str(), LF_FACESIZE - 1);
    if (font.Size != 0)
        preset.lfHeight = FontHeight(font.Size);
    if (font.Style & Bold)
        preset.lfWeight = kBoldWeight;
    preset.lfItalic = (font.Style & Italic) != 0;
    preset.lfUnderline = (font.Style & Underline) != 0;
    preset.lfStrikeOut = (font.Style & StrikeOut) != 0;
    return preset;
}

void Store(const LOGFONTA& chosen, const CHOOSEFONTA& chooser, FontSettings& font) {
    font.Name = std::string(chosen.lfFaceName).substr(0, kMaxFaceNameLength);
    font.Size = chooser.iPointSize / 10;
    // Only the exact bold weight is bold; lighter and heavier weights fall back to regular.
    font.Style = (chosen.lfWeight == kBoldWeight ? Bold : 0) | (chosen.lfItalic ? Italic : 0) |
                 (chosen.lfUnderline ? Underline : 0) | (chosen.lfStrikeOut ? StrikeOut : 0);
    font.Color = static_cast<int32_t>(chooser.rgbColors);
}

} // namespace

void ChooseTextFont() {
    LOGFONTA logFont = PresetFrom(terminal.Font);
    CHOOSEFONTA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.lpLogFont = &logFont;
    chooser.Flags = kChooserFlags;
    // The chooser has no automatic colour; it starts from black instead.
    chooser.rgbColors = terminal.Font.Color == -1 ? 0 : static_cast<COLORREF>(terminal.Font.Color);
    {
        ModalDialogGuard guard;
        chooser.hwndOwner = guard.owner();
        if (!ChooseFontA(&chooser))
            return;
    }
    Store(logFont, chooser, terminal.Font);
    ApplyTextFont();
}
