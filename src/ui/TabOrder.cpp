#include "ui/TabOrder.h"

namespace {

// Every control but the splitter can take the focus.
constexpr int kFocusableCount = ViewSplitter;

} // namespace

int ControlHoldingFocus(const std::function<bool(ControlId)>& holdsFocus) {
    for (int id = 0; id < kFocusableCount; ++id) {
        if (holdsFocus(static_cast<ControlId>(id)))
            return id;
    }
    return -1;
}

int NextFocusControl(int current, bool forward,
                     const std::function<bool(ControlId)>& canTakeFocus) {
    const int count = kFocusableCount;
    const int start = current >= 0 ? current : (forward ? count - 1 : 0);
    for (int step = 1; step <= count; ++step) {
        const auto id = static_cast<ControlId>((start + (forward ? step : -step) + count) % count);
        if (canTakeFocus(id))
            return id;
    }
    return -1;
}
