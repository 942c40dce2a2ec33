// A stand-in serial device on a pseudo-terminal, for trying the terminal without hardware.
// While a program holds the port it sends a numbered Windows-1251 line every second, and it
// answers every line that ends in CR. Usage: demo-device [link], e.g. demo-device ports/COM256

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// The terminal puts the port into exclusive use while it has it open.
bool PortHeld(int device) {
    int exclusive = 0;
    return ioctl(device, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

// A reader that falls behind loses lines rather than stopping the device.
void Send(int controller, const std::string& bytes) {
    if (write(controller, bytes.data(), bytes.size()) < 0 && errno != EAGAIN)
        std::perror("demo-device: write");
}

std::string GreetingLine(unsigned counter) {
    // "Привет от демо-устройства"
    return std::to_string(counter) +
           ": \xCF\xF0\xE8\xE2\xE5\xF2 \xEE\xF2 "
           "\xE4\xE5\xEC\xEE-\xF3\xF1\xF2\xF0\xEE\xE9\xF1\xF2\xE2\xE0\r\n";
}

std::string AnswerLine(const std::string& line) {
    return "\xCF\xEE\xEB\xF3\xF7\xE5\xED\xEE: " + line + "\r\n"; // "Получено: "
}

void Serve(int controller, int device, const sigset_t& unblocked) {
    using Clock = std::chrono::steady_clock;
    unsigned counter = 1;
    std::string line;
    Clock::time_point next = Clock::now() + std::chrono::seconds(1);
    while (!stopRequested) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::max(next - Clock::now(), Clock::duration::zero()));
        const timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                               static_cast<long>(left.count() % 1000000000)};
        pollfd input{controller, POLLIN, 0};
        // The stop signals are let through only while waiting, so none is missed.
        if (ppoll(&input, 1, &timeout, &unblocked) > 0 && (input.revents & POLLIN)) {
            char received[256];
            const ssize_t count = read(controller, received, sizeof received);
            for (ssize_t i = 0; i < count; ++i) {
                if (received[i] == '\r') {
                    Send(controller, AnswerLine(line));
                    line.clear();
                } else if (received[i] != '\n' && line.size() < 200) {
                    line.push_back(received[i]);
                }
            }
        }
        if (Clock::now() < next)
            continue;
        next += std::chrono::seconds(1);
        if (PortHeld(device)) {
            Send(controller, GreetingLine(counter++));
        } else {
            // What nobody read is stale by the time someone connects.
            tcflush(device, TCIFLUSH);
            line.clear();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    int controller = -1;
    int device = -1;
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&controller, &device, nullptr, &raw, nullptr) != 0) {
        std::perror("demo-device: openpty");
        return 1;
    }
    fcntl(controller, F_SETFL, O_NONBLOCK);
    const std::string devicePath = ttyname(device);

    const std::filesystem::path link = argc > 1 ? argv[1] : "";
    if (!link.empty()) {
        std::error_code ignored;
        if (link.has_parent_path())
            std::filesystem::create_directories(link.parent_path(), ignored);
        if (std::filesystem::is_symlink(link))
            std::filesystem::remove(link, ignored);
        std::filesystem::create_symlink(devicePath, link, ignored);
        if (ignored) {
            std::fprintf(stderr, "demo-device: cannot link %s: %s\n", link.c_str(),
                         ignored.message().c_str());
            return 1;
        }
    }
    std::printf("demo-device: %s%s%s\n", devicePath.c_str(), link.empty() ? "" : " linked as ",
                link.c_str());
    std::fflush(stdout);

    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    sigset_t stops;
    sigset_t unblocked;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGHUP);
    sigprocmask(SIG_BLOCK, &stops, &unblocked);

    Serve(controller, device, unblocked);

    if (!link.empty() && std::filesystem::is_symlink(link) &&
        std::filesystem::read_symlink(link) == devicePath)
        std::filesystem::remove(link);
    close(controller);
    close(device);
    return 0;
}
