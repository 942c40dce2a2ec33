#include "ui/SplitterRules.h"

#include <algorithm>

SplitterHeights ApplySplitterMinimums(int splitterHeight, int wantedLower, int minUpper,
                                      int minLower) {
    const int room = splitterHeight - kSplitterBarHeight;
    int lower = std::max(wantedLower, minLower);
    int upper = room - lower;
    if (upper < minUpper) {
        upper = minUpper;
        lower = room - minUpper;
    }
    return {std::max(upper, 0), std::max(lower, 0)};
}

int DraggedUpperHeight(int mouseY, int grabOffset, int splitterHeight) {
    return std::clamp(mouseY - grabOffset, 0, std::max(splitterHeight - kSplitterBarHeight, 0));
}
