#include <deque>

#include "ui/win32/KeyboardFocus.h"
#include "ui/win32/MainWindowState.h"

namespace {

struct Binding {
    BindKind kind = BindKind::Any;
    Handler handler = nullptr;
};

Binding bindings[kControlCount];
Handler timerHandler = nullptr;
std::deque<WindowEvent> pending;
int programChanges = 0;

bool SameEvent(const WindowEvent& a, const WindowEvent& b) {
    return a.type == b.type && a.control == b.control && a.kind == b.kind;
}

// The loop only reads the latest control states, so repeats of the last event add nothing.
void Queue(const WindowEvent& event) {
    if (pending.empty() || !SameEvent(pending.back(), event))
        pending.push_back(event);
}

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

void RaiseControlEvent(ControlId id, ControlEventKind kind) {
    if (ProgramIsChangingControls())
        return;
    const Binding& binding = bindings[id];
    if (binding.handler && (binding.kind == BindKind::Any || kind == ControlEventKind::Change))
        binding.handler();
    Queue({EventType::Control, id, kind});
}

void RaiseWindowEvent(EventType type) {
    Queue({type, 0, ControlEventKind::Other});
}

void RaiseTimerEvent() {
    if (timerHandler)
        timerHandler();
    Queue({EventType::Timer, 0, ControlEventKind::Other});
}

void ForgetEvents() {
    for (Binding& binding : bindings)
        binding = {};
    timerHandler = nullptr;
    pending.clear();
}

void BindControlHandler(ControlId id, BindKind kind, Handler handler) {
    bindings[id] = {kind, handler};
}

void BindTimerHandler(Handler handler) {
    timerHandler = handler;
}

WindowEvent WaitForEvent() {
    MSG message;
    while (pending.empty()) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) // WM_QUIT or no message queue: treat as a close request
            return {EventType::Close, 0, ControlEventKind::Other};
        if (TakeFocusKey(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    const WindowEvent event = pending.front();
    pending.pop_front();
    return event;
}
