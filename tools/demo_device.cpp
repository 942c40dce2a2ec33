// A stand-in serial device on a pseudo-terminal, for trying the terminal without hardware.
// While a program holds the port it sends a numbered Windows-1251 line every second, and it
// answers every line that ends in CR. With --reset it also goes away now and then and comes
// back, as a board that resets. Usage: see kUsage.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const char* const kUsage =
    "usage: demo-device [--reset SECONDS] [LINK]\n"
    "  LINK             a symbolic link made to the device, e.g. build/ports/COM256\n"
    "  --reset SECONDS  every SECONDS (at least 0.5) the device goes away for half a second,\n"
    "                   at least 200 ms after it last wrote, and comes back under the same\n"
    "                   link with its next line, as a board that resets\n";

// How long a reset keeps the device away, and how long after its last write it may go.
constexpr auto kAway = std::chrono::milliseconds(500);
constexpr auto kQuietBeforeReset = std::chrono::milliseconds(200);

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

struct Options {
    std::filesystem::path link;
    Clock::duration resetEvery = Clock::duration::zero(); // zero: never
};

// False after printing the usage; exit status in `status`.
bool ParseOptions(int argc, char** argv, Options& options, int& status) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            status = 0;
            return false;
        }
        if (argument == "--reset" && i + 1 < argc) {
            char* end = nullptr;
            const double seconds = std::strtod(argv[++i], &end);
            if (*end == '\0' && seconds >= 0.5 && seconds <= 86400) {
                options.resetEvery = std::chrono::duration_cast<Clock::duration>(
                    std::chrono::duration<double>(seconds));
                continue;
            }
        } else if (argument[0] != '-' && options.link.empty()) {
            options.link = argument;
            continue;
        }
        std::fputs(kUsage, stderr);
        status = 2;
        return false;
    }
    return true;
}

// One pseudo-terminal standing for the device while it is there.
struct Device {
    int controller = -1;
    int device = -1;
    std::string path;
};

bool OpenDevice(Device& opened) {
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&opened.controller, &opened.device, nullptr, &raw, nullptr) != 0) {
        std::perror("demo-device: openpty");
        return false;
    }
    fcntl(opened.controller, F_SETFL, O_NONBLOCK);
    opened.path = ttyname(opened.device);
    return true;
}

void CloseDevice(Device& device) {
    close(device.controller);
    close(device.device);
    device = Device{};
}

bool Link(const std::filesystem::path& link, const std::string& devicePath) {
    if (link.empty())
        return true;
    std::error_code failed;
    if (link.has_parent_path())
        std::filesystem::create_directories(link.parent_path(), failed);
    if (std::filesystem::is_symlink(link))
        std::filesystem::remove(link, failed);
    std::filesystem::create_symlink(devicePath, link, failed);
    if (failed)
        std::fprintf(stderr, "demo-device: cannot link %s: %s\n", link.c_str(),
                     failed.message().c_str());
    return !failed;
}

void Unlink(const std::filesystem::path& link, const std::string& devicePath) {
    std::error_code ignored;
    if (!link.empty() && std::filesystem::is_symlink(link) &&
        std::filesystem::read_symlink(link, ignored) == devicePath)
        std::filesystem::remove(link, ignored);
}

void Announce(const Device& device, const Options& options, const char* what) {
    std::printf("demo-device: %s %s%s%s\n", what, device.path.c_str(),
                options.link.empty() ? "" : " linked as ", options.link.c_str());
    std::fflush(stdout);
}

// The terminal puts the port into exclusive use while it has it open.
bool PortHeld(int device) {
    int exclusive = 0;
    return ioctl(device, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
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

class Server {
  public:
    Server(const Options& options, const sigset_t& unblocked)
        : options_(options), unblocked_(unblocked) {}

    bool Start() {
        if (!OpenDevice(device_) || !Link(options_.link, device_.path))
            return false;
        Announce(device_, options_, "at");
        return true;
    }

    // Until a stop signal; false when the device could not come back.
    bool Serve() {
        nextResetAt_ = Clock::now() + options_.resetEvery;
        while (!stopRequested) {
            Wait(std::min(nextLineAt_, ResetAt()));
            if (ResetDue() && !Reset())
                return false;
            if (Clock::now() < nextLineAt_)
                continue;
            nextLineAt_ += std::chrono::seconds(1);
            if (PortHeld(device_.device)) {
                Send(GreetingLine(counter_++));
            } else {
                // What nobody read is stale by the time someone connects.
                tcflush(device_.device, TCIFLUSH);
                line_.clear();
            }
        }
        return true;
    }

    void Stop() {
        Unlink(options_.link, device_.path);
        CloseDevice(device_);
    }

  private:
    bool Resets() const { return options_.resetEvery != Clock::duration::zero(); }
    // Due, but never within kQuietBeforeReset of the last write.
    Clock::time_point ResetAt() const {
        return Resets() ? std::max(nextResetAt_, lastWrite_ + kQuietBeforeReset)
                        : Clock::time_point::max();
    }
    bool ResetDue() const { return Clock::now() >= ResetAt(); }

    // Goes away with everything unread, stays away for kAway and comes back with a new
    // pseudo-terminal under the same link, saying its next line at once.
    bool Reset() {
        Unlink(options_.link, device_.path);
        Announce(device_, options_, "gone");
        CloseDevice(device_);
        const Clock::time_point back = Clock::now() + kAway;
        while (!stopRequested && Clock::now() < back)
            Wait(back);
        if (!OpenDevice(device_) || !Link(options_.link, device_.path))
            return false;
        Announce(device_, options_, "back at");
        line_.clear();
        Send(GreetingLine(counter_++));
        nextLineAt_ = Clock::now() + std::chrono::seconds(1);
        nextResetAt_ = Clock::now() + options_.resetEvery;
        return true;
    }

    // Answers what arrives until the time, or until a stop signal.
    void Wait(Clock::time_point until) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::max(until - Clock::now(), Clock::duration::zero()));
        const timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                               static_cast<long>(left.count() % 1000000000)};
        pollfd input{device_.controller, POLLIN, 0};
        // The stop signals are let through only while waiting, so none is missed.
        if (ppoll(&input, device_.controller >= 0 ? 1 : 0, &timeout, &unblocked_) <= 0 ||
            !(input.revents & POLLIN))
            return;
        char received[256];
        const ssize_t count = read(device_.controller, received, sizeof received);
        for (ssize_t i = 0; i < count; ++i) {
            if (received[i] == '\r') {
                Send(AnswerLine(line_));
                line_.clear();
            } else if (received[i] != '\n' && line_.size() < 200) {
                line_.push_back(received[i]);
            }
        }
    }

    // A reader that falls behind loses lines rather than stopping the device.
    void Send(const std::string& bytes) {
        if (write(device_.controller, bytes.data(), bytes.size()) < 0 && errno != EAGAIN)
            std::perror("demo-device: write");
        lastWrite_ = Clock::now();
    }

    const Options& options_;
    const sigset_t& unblocked_;
    Device device_;
    unsigned counter_ = 1;
    std::string line_;
    Clock::time_point nextLineAt_ = Clock::now() + std::chrono::seconds(1);
    Clock::time_point nextResetAt_;
    Clock::time_point lastWrite_;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    int status = 0;
    if (!ParseOptions(argc, argv, options, status))
        return status;

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

    Server server(options, unblocked);
    if (!server.Start())
        return 1;
    const bool served = server.Serve();
    server.Stop();
    return served ? 0 : 1;
}
