#include "ui/SpinText.h"

#include <algorithm>

#include "ui/ControlTable.h"

std::optional<int> SpinTextNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    int number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = std::min(number * 10 + (c - '0'), kSpinMaximum + 1);
    }
    return number;
}
