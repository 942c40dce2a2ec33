#pragma once
// How a drop-down list shows an entry: the port layer describes its port names this way, and the
// window layers show them so.

#include <string>

// A text of its own, and whether the entry stands out from the others (in bold, where the list
// can show it).
struct ItemDescription {
    std::string text;
    bool standsOut = false;
};
