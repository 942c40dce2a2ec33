#include "support/WindowUnderTest.h"

#include "app/Startup.h"
#include "shared/Cp1251.h"
#include "shared/TerminalState.h"

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

std::string Cp1251(std::u16string_view text) {
    std::string bytes;
    for (const char16_t c : text)
        bytes += UnicodeToCp1251(c);
    return bytes;
}
