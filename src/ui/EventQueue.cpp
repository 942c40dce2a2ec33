#include "ui/EventQueue.h"

#include <deque>

namespace {

struct Binding {
    BindKind kind = BindKind::Any;
    Handler handler = nullptr;
};

Binding bindings[kControlCount];
Handler timerHandler = nullptr;
std::deque<WindowEvent> pending;

bool SameEvent(const WindowEvent& a, const WindowEvent& b) {
    return a.type == b.type && a.control == b.control && a.kind == b.kind;
}

// The loop only reads the latest control states, so repeats of the last event add nothing.
void Queue(const WindowEvent& event) {
    if (pending.empty() || !SameEvent(pending.back(), event))
        pending.push_back(event);
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
    pending.clear();
}

void BindControlHandler(ControlId id, BindKind kind, Handler handler) {
    bindings[id] = {kind, handler};
}

void BindTimerHandler(Handler handler) {
    timerHandler = handler;
}

bool TakeQueuedEvent(WindowEvent& event) {
    if (pending.empty())
        return false;
    event = pending.front();
    pending.pop_front();
    return true;
}

std::vector<WindowEvent> TakePendingEvents() {
    std::vector<WindowEvent> events(pending.begin(), pending.end());
    pending.clear();
    return events;
}
