#include "ui/qt/DisplayChoice.h"

#include <cstdlib>

void PreferTheXDisplay() {
    // Never overwrites a choice the user made; Qt falls back to the next platform in the list
    // when there is no X display to connect to.
    setenv("QT_QPA_PLATFORM", "xcb;wayland", 0);
}
