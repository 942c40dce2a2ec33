#include "ui/EventQueue.h"

#include <vector>

namespace {

struct Binding {
    BindKind kind = BindKind::Any;
    Handler handler = nullptr;
};

Binding bindings[kControlCount];
Handler timerHandler = nullptr;
// Taken from the front by index and emptied once all are taken, so that queueing reuses the
// same memory: a tick that finds nothing allocates nothing.
std::vector<WindowEvent> pending;
std::size_t nextPending = 0;

bool SameEvent(const WindowEvent& a, const WindowEvent& b) {
    return a.type == b.type && a.control == b.control && a.kind == b.kind;
}

// The loop only reads the latest control states, so repeats of the last event add nothing.
void Queue(const WindowEvent& event) {
    if (pending.size() == nextPending || !SameEvent(pending.back(), event))
        pending.push_back(event);
}

void ClearPending() {
    pending.clear();
    nextPending = 0;
}

} // namespace

void RaiseControlEvent(ControlId id, ControlEventKind kind) {
    const Binding& binding = bindings[id];
    if (binding.handler && (binding.kind == BindKind::Any || kind == ControlEventKind::Change))
        binding.handler();
    Queue({EventType::Control, id, kind});
}

void RaiseWindowEvent(EventType type) {
    Queue({type, kNoControl, ControlEventKind::Other});
}

void RaiseTimerEvent() {
    if (timerHandler)
        timerHandler();
    Queue({EventType::Timer, kNoControl, ControlEventKind::Other});
}

void DropBindingsAndEvents() {
    for (Binding& binding : bindings)
        binding = {};
    timerHandler = nullptr;
    ClearPending();
}

void BindControlHandler(ControlId id, BindKind kind, Handler handler) {
    bindings[id] = {kind, handler};
}

void BindTimerHandler(Handler handler) {
    timerHandler = handler;
}

bool TakeQueuedEvent(WindowEvent& event) {
    if (nextPending == pending.size())
        return false;
    event = pending[nextPending++];
    if (nextPending == pending.size())
        ClearPending();
    return true;
}
