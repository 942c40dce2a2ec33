#include <unistd.h>

#include "app/ProgramDirectory.h"

namespace {
// The longest path the program accepts as its own, as on Windows.
constexpr std::size_t kMaxPathLength = 260;
} // namespace

std::string ExecutablePath() {
    // One byte over the limit tells a path that is too long from one that just fits.
    char buffer[kMaxPathLength + 1];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) > kMaxPathLength)
        return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}
