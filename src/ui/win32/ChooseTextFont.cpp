#include <windows.h>

#include <commdlg.h>
#include <cstring>

#include "shared/TerminalState.h"
#include "ui/Appearance.h"
#include "ui/FontChoice.h"
#include "ui/win32/ModalDialogGuard.h"
#include "ui/win32/TextFont.h"

namespace {

constexpr DWORD kChooserFlags =
    CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;

LOGFONTA LogFontFrom(const FontChoice& choice, int32_t points) {
    LOGFONTA preset{};
    std::strncpy(preset.lfFaceName, choice.face.c_str(), LF_FACESIZE - 1);
    if (points != 0)
        preset.lfHeight = FontHeight(points);
    preset.lfWeight = choice.weight;
    preset.lfItalic = choice.italic;
    preset.lfUnderline = choice.underline;
    preset.lfStrikeOut = choice.strikeOut;
    return preset;
}

FontSettings Stored(const LOGFONTA& chosen, const CHOOSEFONTA& chooser) {
    return ChosenFontSettings({.face = chosen.lfFaceName,
                               .weight = static_cast<int>(chosen.lfWeight),
                               .italic = chosen.lfItalic != 0,
                               .underline = chosen.lfUnderline != 0,
                               .strikeOut = chosen.lfStrikeOut != 0,
                               .color = static_cast<int32_t>(chooser.rgbColors)},
                              chooser.iPointSize);
}

} // namespace

void ChooseTextFont() {
    const FontChoice preset = ChooserPreset(terminal.Font);
    LOGFONTA logFont = LogFontFrom(preset, terminal.Font.Size);
    CHOOSEFONTA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.lpLogFont = &logFont;
    chooser.Flags = kChooserFlags;
    chooser.rgbColors = static_cast<COLORREF>(preset.color);
    {
        ModalDialogGuard guard;
        chooser.hwndOwner = guard.owner();
        if (!ChooseFontA(&chooser))
            return;
    }
    terminal.Font = Stored(logFont, chooser);
    ApplyTextFont();
}
