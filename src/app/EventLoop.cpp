#include "app/EventLoop.h"

#include "shared/TerminalState.h"
#include "ui/Appearance.h"

void RunLoopAction(const WindowEvent& event) {
    if (event.type == EventType::Resize) {
        ApplyLayout();
        return;
    }
    switch (event.control) {
    case AutoConnectCheck: // also every window and timer event, which carry kNoControl
        terminal.AutoConnectFlag = IsChecked(AutoConnectCheck);
        break;
    case LogCheck:
        terminal.LogFlag = IsChecked(LogCheck);
        break;
    case OnTopCheck:
        ApplyStayOnTop(IsChecked(OnTopCheck));
        break;
    case NewDateCheck:
        terminal.NewLogPerConnectionFlag = IsChecked(NewDateCheck);
        break;
    case TransparencySpin:
        ApplyWindowOpacity(GetSpinValue(TransparencySpin));
        break;
    default:
        break;
    }
}

void RunEventLoop() {
    for (;;) {
        const WindowEvent event = WaitForEvent();
        RunLoopAction(event);
        if (event.type == EventType::Close)
            return;
    }
}
