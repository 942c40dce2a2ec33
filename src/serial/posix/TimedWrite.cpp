#include "serial/posix/TimedWrite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <poll.h>
#include <unistd.h>

std::size_t WriteWithin(int fd, const char* data, std::size_t size,
                        std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t written = write(fd, data + sent, size - sent);
        if (written > 0) {
            sent += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd wait{fd, POLLOUT, 0};
        const int ready =
            poll(&wait, 1, static_cast<int>(std::min<int64_t>(left.count(), INT_MAX)));
        // A device that went away reports an error at once; waiting on would only spin.
        if ((ready < 0 && errno != EINTR) || (wait.revents & (POLLERR | POLLHUP | POLLNVAL)))
            break;
    }
    return sent;
}
