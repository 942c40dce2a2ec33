#include "ui/EventQueue.h"
#include "ui/win32/KeyboardFocus.h"
#include "ui/win32/MainWindowState.h"

namespace {

int programChanges = 0;

} // namespace

ProgramChange::ProgramChange() {
    ++programChanges;
}

ProgramChange::~ProgramChange() {
    --programChanges;
}

bool ProgramIsChangingControls() {
    return programChanges > 0;
}

WindowEvent WaitForEvent() {
    WindowEvent event;
    MSG message;
    while (!TakeQueuedEvent(event)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) // WM_QUIT or no message queue: treat as a close request
            return {EventType::Close, kNoControl, ControlEventKind::Other};
        if (TakeFocusKey(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return event;
}
