#include "support/WindowUnderTest.h"

#include <algorithm>

#include "app/Startup.h"
#include "shared/Cp1251.h"
#include "shared/TerminalState.h"
#include "ui/EventQueue.h"

void WindowUnderTest::SetUp() {
    terminal = TerminalState{};
    CreateMainWindow();
    SetUpControls();
}

void WindowUnderTest::TearDown() {
    DestroyMainWindow();
}

std::ostream& operator<<(std::ostream& out, const Place& place) {
    return out << place.x << "," << place.y << " " << place.width << "x" << place.height;
}

std::vector<WindowEvent> TakePendingEvents() {
    std::vector<WindowEvent> events;
    for (WindowEvent event; TakeQueuedEvent(event);)
        events.push_back(event);
    return events;
}

std::vector<ControlEventKind> KindsOf(const std::vector<WindowEvent>& events, ControlId id) {
    std::vector<ControlEventKind> kinds;
    for (const WindowEvent& event : events)
        if (event.type == EventType::Control && event.control == id)
            kinds.push_back(event.kind);
    return kinds;
}

bool Has(const std::vector<ControlEventKind>& kinds, ControlEventKind kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

std::string Cp1251(std::u16string_view text) {
    std::string bytes;
    for (const char16_t c : text)
        bytes += UnicodeToCp1251(c);
    return bytes;
}
