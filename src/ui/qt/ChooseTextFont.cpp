#include "shared/TerminalState.h"
#include "ui/Appearance.h"
#include "ui/FontChoice.h"
#include "ui/qt/FontChooserDialog.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/QtText.h"
#include "ui/qt/TextFont.h"

namespace {

FontPreset PresetFrom(const FontSettings& font) {
    const FontChoice choice = ChooserPreset(font);
    FontPreset preset;
    preset.face = ToQString(choice.face);
    if (font.Size != 0)
        preset.pixelHeight = BuildTextFont(font).pixelSize();
    if (choice.weight != 0)
        preset.weight = choice.weight;
    preset.italic = choice.italic;
    preset.underline = choice.underline;
    preset.strikeOut = choice.strikeOut;
    preset.color = TextColor(choice.color);
    return preset;
}

FontSettings Stored(const ChosenFont& chosen) {
    return ChosenFontSettings({.face = FromQString(chosen.face),
                               .weight = chosen.weight,
                               .italic = chosen.italic,
                               .underline = chosen.underline,
                               .strikeOut = chosen.strikeOut,
                               .color = ColorValue(chosen.color)},
                              chosen.tenthsOfPoint);
}

} // namespace

void ChooseTextFont() {
    ChosenFont chosen;
    {
        ModalDialogGuard guard;
        FontChooserDialog dialog(PresetFrom(terminal.Font), guard.owner());
        if (dialog.exec() != QDialog::Accepted)
            return;
        chosen = dialog.chosen();
    }
    terminal.Font = Stored(chosen);
    ApplyTextFont();
}
