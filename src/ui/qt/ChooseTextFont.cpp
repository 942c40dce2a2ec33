#include "shared/TerminalState.h"
#include "ui/Appearance.h"
#include "ui/qt/FontChooserDialog.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/QtText.h"
#include "ui/qt/TextFont.h"

namespace {

constexpr int kBoldWeight = 700;

FontPreset PresetFrom(const FontSettings& font) {
    FontPreset preset;
    preset.face = ToQString(font.Name);
    if (font.Size != 0)
        preset.pixelHeight = BuildTextFont(font).pixelSize();
    if (font.Style & Bold)
        preset.weight = kBoldWeight;
    preset.italic = font.Style & Italic;
    preset.underline = font.Style & Underline;
    preset.strikeOut = font.Style & StrikeOut;
    // The chooser has no automatic colour; it starts from black instead.
    preset.color = font.Color == -1 ? QColor(Qt::black) : TextColor(font.Color);
    return preset;
}

void Store(const ChosenFont& chosen, FontSettings& font) {
    font.Name = FromQString(chosen.face).substr(0, kMaxFaceNameLength);
    font.Size = chosen.tenthsOfPoint / 10;
    // Only the exact bold weight is bold; lighter and heavier weights fall back to regular.
    font.Style = (chosen.weight == kBoldWeight ? Bold : 0) | (chosen.italic ? Italic : 0) |
                 (chosen.underline ? Underline : 0) | (chosen.strikeOut ? StrikeOut : 0);
    font.Color = ColorValue(chosen.color);
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
    Store(chosen, terminal.Font);
    ApplyTextFont();
}
