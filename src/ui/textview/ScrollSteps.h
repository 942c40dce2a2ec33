#pragma once
// A scroll bar counts in int steps, fewer than the rows a view may hold: past kMaxScrollSteps
// top rows, each step stands for several rows. Step 0 is the first row and the last step the
// last top row, so the ends are always reached exactly.

#include <cstdint>

constexpr std::int32_t kMaxScrollSteps = std::int32_t{1} << 30;

// The bar's largest step when lastTop is the last row that can be at the top.
inline std::int32_t ScrollStepCount(std::uint64_t lastTop) {
    return lastTop < std::uint64_t{kMaxScrollSteps} ? static_cast<std::int32_t>(lastTop)
                                                    : kMaxScrollSteps;
}

inline std::int32_t ScrollStepOfRow(std::uint64_t row, std::uint64_t lastTop) {
    const std::int32_t steps = ScrollStepCount(lastTop);
    if (row >= lastTop)
        return steps;
    if (lastTop == std::uint64_t(steps))
        return static_cast<std::int32_t>(row);
    return static_cast<std::int32_t>(static_cast<unsigned __int128>(row) * steps / lastTop);
}

inline std::uint64_t RowOfScrollStep(std::int32_t step, std::uint64_t lastTop) {
    const std::int32_t steps = ScrollStepCount(lastTop);
    if (step <= 0)
        return 0;
    if (step >= steps)
        return lastTop;
    return static_cast<std::uint64_t>(static_cast<unsigned __int128>(step) * lastTop /
                                      std::uint64_t(steps));
}
