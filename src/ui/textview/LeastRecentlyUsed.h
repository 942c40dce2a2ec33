#pragma once

#include <algorithm>
#include <iterator>

// The slot of a small cache that was used longest ago, to be filled anew; each slot counts its
// last use in lastUse.
template <typename Slots> auto& LeastRecentlyUsed(Slots& slots) {
    return *std::min_element(std::begin(slots), std::end(slots),
                             [](const auto& a, const auto& b) { return a.lastUse < b.lastUse; });
}
