#include "WaylandDesktop.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "ProgramRun.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <class Condition> bool WaitFor(Condition done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

WaylandDesktop::WaylandDesktop(const fs::path& log, bool withXwayland) {
    std::string runtime = (fs::temp_directory_path() / "comterm-desktop-XXXXXX").string();
    if (!mkdtemp(runtime.data()))
        throw std::runtime_error("cannot make a runtime directory");
    runtimeDir_ = runtime;
    const std::string socketOption = "--socket=" + socket_;
    const std::string logOption = "--log=" + log.string();
    pid_ = fork();
    if (pid_ == 0) {
        // A group of its own, so that its helpers and its X server end with it.
        setpgid(0, 0);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        close_range(3, ~0u, 0);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        const char* xwayland = withXwayland ? "--xwayland" : nullptr;
        execlp("weston", "weston", "--backend=headless-backend.so", "--idle-time=0",
               socketOption.c_str(), logOption.c_str(), xwayland, static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    setpgid(pid_, pid_);
    if (!WaitFor([&] { return fs::exists(runtimeDir_ / socket_); }, 20s))
        throw std::runtime_error("weston did not start (is it installed?)");
    if (!withXwayland)
        return;
    // Weston takes the X display's socket at once and starts Xwayland on the first client.
    static const std::regex kListening(R"(xserver listening on display (:\d+))");
    const bool listening = WaitFor(
        [&] {
            const std::string text = ReadFileBytes(log);
            std::smatch found;
            if (std::regex_search(text, found, kListening))
                xDisplay_ = found[1].str();
            return !xDisplay_.empty();
        },
        20s);
    if (!listening)
        throw std::runtime_error("weston started no X server (is xwayland installed?)");
}

WaylandDesktop::~WaylandDesktop() {
    kill(-pid_, SIGTERM);
    int status = 0;
    const auto deadline = Clock::now() + 5s;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
    std::error_code ignored;
    fs::remove_all(runtimeDir_, ignored);
}
