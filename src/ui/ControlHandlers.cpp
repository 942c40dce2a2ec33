#include "ui/ControlHandlers.h"

#include "shared/TerminalState.h"
#include "ui/Window.h"

void ClearReceiveView() {
    SetText(ReceiveView, "");
}

void SelectInputMode() {
    terminal.InputMode = Hex;
    const ControlId options[] = {HexOption, CharOption, BinOption};
    for (int mode = 0; mode < 3; ++mode) {
        if (IsChecked(options[mode])) {
            terminal.InputMode = mode;
            return;
        }
    }
}
