#include "ScreenReader.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The line read up to the deadline, without its end; none when the deadline passed first.
std::optional<std::string> ReadLine(int fd, std::string& unread, Clock::time_point deadline) {
    for (;;) {
        const std::size_t end = unread.find('\n');
        if (end != std::string::npos) {
            std::string line = unread.substr(0, end);
            unread.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        char buffer[4096];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        unread.append(buffer, static_cast<std::size_t>(got));
    }
}

// Runs the command in a child whose output goes to the log, in the process group given (0 for
// a group of its own, -1 for the test's), with the variables set; the descriptors given become
// the child's 3 (keep), input and output.
pid_t Start(const std::vector<std::string>& command, pid_t group, const std::string& log,
            const std::map<std::string, std::string>& variables, int keep = -1, int in = -1,
            int out = -1) {
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (group >= 0)
            setpgid(0, group);
        const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(in >= 0 ? in : open("/dev/null", O_RDONLY), 0);
        dup2(out >= 0 ? out : logFd, 1);
        dup2(logFd, 2);
        if (keep >= 0)
            keep == 3 ? fcntl(3, F_SETFD, 0) : dup2(keep, 3);
        close_range(keep >= 0 ? 4 : 3, ~0u, 0);
        for (const auto& [name, value] : variables)
            setenv(name.c_str(), value.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (group >= 0)
        setpgid(pid, group == 0 ? pid : group);
    return pid;
}

// Waits for the process to end, killing it when the time is up.
void Stop(pid_t pid, std::chrono::milliseconds grace) {
    const auto deadline = Clock::now() + grace;
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(5ms);
    }
}

// Ends every process of the group and waits for all, also those whose parent ended first:
// the test is their subreaper. Killed when the time is up.
void StopGroup(pid_t group, std::chrono::milliseconds grace) {
    kill(-group, SIGTERM);
    const auto deadline = Clock::now() + grace;
    for (pid_t ended = 0; ended >= 0; ended = waitpid(-group, nullptr, WNOHANG)) {
        if (ended > 0)
            continue;
        if (Clock::now() > deadline) {
            kill(-group, SIGKILL);
            while (waitpid(-group, nullptr, 0) > 0) {
            }
            return;
        }
        std::this_thread::sleep_for(5ms);
    }
}

} // namespace

ScreenReader::ScreenReader(const std::string& display, const std::filesystem::path& log) {
    // The accessibility bus and its registry are the launcher's children: they come to the
    // test to be waited for when the launcher ends.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    int address[2];
    if (pipe2(address, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    buses_ = Start({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=3"}, 0, log,
                   {}, address[1]);
    close(address[1]);
    std::string unread;
    const std::optional<std::string> line = ReadLine(address[0], unread, Clock::now() + 20s);
    close(address[0]);
    if (!line)
        throw std::runtime_error("the session bus did not start (is dbus installed?)");
    address_ = *line;
    const std::map<std::string, std::string> session = {{"DBUS_SESSION_BUS_ADDRESS", address_},
                                                        {"DISPLAY", display}};
    Start({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"}, buses_, log, session);
    int requests[2];
    int answers[2];
    if (pipe2(requests, O_CLOEXEC) != 0 || pipe2(answers, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    // Debian's own Python, which has the GObject bindings of the accessibility library.
    client_ = Start({"/usr/bin/python3", COMTERM_SOURCE_DIR "/tests/e2e/atspi_client.py", "20000"},
                    -1, log, session, -1, requests[0], answers[1]);
    close(requests[0]);
    close(answers[1]);
    toClient_ = requests[1];
    fromClient_ = answers[0];
    const std::optional<std::string> ready = ReadLine(fromClient_, unread_, Clock::now() + 30s);
    if (!ready || ready->find("\"ok\": true") == std::string::npos)
        throw std::runtime_error("no accessibility bus (are at-spi2-core and "
                                 "gir1.2-atspi-2.0 installed?): " +
                                 ready.value_or(""));
}

ScreenReader::~ScreenReader() {
    close(toClient_); // the client ends at the end of its requests
    close(fromClient_);
    Stop(client_, 5s);
    StopGroup(buses_, 5s);
}

std::map<std::string, std::optional<std::string>> ScreenReader::environment() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", address_}, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}};
}

std::string ScreenReader::Ask(const std::string& request, std::chrono::milliseconds timeout) {
    const std::string line = request + "\n";
    if (write(toClient_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return {};
    return ReadLine(fromClient_, unread_, Clock::now() + timeout).value_or("");
}

std::optional<std::string> AnswerField(const std::string& answer, const std::string& name) {
    const std::string key = "\"" + name + "\": \"";
    std::size_t at = answer.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    std::string value;
    for (at += key.size(); at < answer.size() && answer[at] != '"'; ++at) {
        if (answer[at] != '\\' || at + 1 >= answer.size()) {
            value += answer[at];
            continue;
        }
        const char escaped = answer[++at];
        if (escaped == 'u' && at + 4 < answer.size()) { // the control characters, below 0x20
            value += static_cast<char>(std::stoi(answer.substr(at + 1, 4), nullptr, 16));
            at += 4;
        } else {
            value += escaped == 'n'   ? '\n'
                     : escaped == 'r' ? '\r'
                     : escaped == 't' ? '\t'
                                      : escaped;
        }
    }
    return value;
}
