#include "ui/Appearance.h"

#include "shared/TerminalState.h"
#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/TextFont.h"
#include "ui/qt/WindowLayer.h"

void ApplyStayOnTop(bool onTop) {
    SetStayOnTop(TheMainWindow(), onTop);
}

void MakeWindowLayered() {
    // A Qt window takes an opacity at any time; there is nothing to switch on first.
}

void ApplyWindowOpacity(int32_t alpha) {
    TheMainWindow()->setWindowOpacity((alpha & 0xFF) / 255.0);
}

void ApplyTextFont() {
    const QFont font = BuildTextFont(terminal.Font);
    const QColor color = TextColor(terminal.Font.Color);
    for (QWidget* control :
         {TheMainWindow()->control(ReceiveView), TheMainWindow()->control(SendEditor)}) {
        SetTextFontAndColor(control, font, color);
    }
}
