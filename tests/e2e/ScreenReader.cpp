#include "ScreenReader.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What Orca's debug log writes before each text it speaks.
const std::string kSpoken = "SPEECH OUTPUT: '";

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

// Runs the command in the group of the first one started (the session bus), with its input
// and output on the descriptors given (-1 for none and the log), errors in the log.
pid_t Start(const std::vector<std::string>& command, pid_t group, const std::string& log,
            const std::map<std::string, std::string>& variables, int in, int out) {
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, group);
        const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(in >= 0 ? in : open("/dev/null", O_RDONLY), 0);
        dup2(out >= 0 ? out : logFd, 1);
        dup2(logFd, 2);
        close_range(3, ~0u, 0);
        for (const auto& [name, value] : variables)
            setenv(name.c_str(), value.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("fork failed");
    setpgid(pid, group == 0 ? pid : group);
    return pid;
}

} // namespace

ScreenReader::ScreenReader(const std::string& display, const std::filesystem::path& log)
    : display_(display) {
    // The accessibility bus and its registry are the launcher's children: they come to the
    // test to be waited for when the launcher ends.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    signal(SIGPIPE, SIG_IGN); // a request to a client that has died fails, the test goes on
    int address[2];
    int requests[2];
    int answers[2];
    if (pipe2(address, O_CLOEXEC) != 0 || pipe2(requests, O_CLOEXEC) != 0 ||
        pipe2(answers, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    buses_ = Start({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address"}, 0, log, {},
                   -1, address[1]);
    close(address[1]);
    std::string unread;
    const std::optional<std::string> line = ReadLine(address[0], unread, Clock::now() + 20s);
    close(address[0]);
    if (!line) {
        End();
        throw std::runtime_error("the session bus did not start (is dbus installed?)");
    }
    address_ = *line;
    const std::map<std::string, std::string> session = {{"DBUS_SESSION_BUS_ADDRESS", address_},
                                                        {"DISPLAY", display}};
    Start({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"}, buses_, log, session, -1,
          -1);
    // Debian's own Python, which has the GObject bindings of the accessibility library.
    Start({"/usr/bin/python3", COMTERM_SOURCE_DIR "/tests/e2e/atspi_client.py", "20000"}, buses_,
          log, session, requests[0], answers[1]);
    close(requests[0]);
    close(answers[1]);
    toClient_ = requests[1];
    fromClient_ = answers[0];
    const std::optional<std::string> ready = ReadLine(fromClient_, unread_, Clock::now() + 30s);
    if (!ready || ready->find("\"ok\": true") == std::string::npos) {
        End();
        throw std::runtime_error("no accessibility bus (are at-spi2-core and "
                                 "gir1.2-atspi-2.0 installed?): " +
                                 ready.value_or(""));
    }
}

ScreenReader::~ScreenReader() {
    End();
}

namespace {
// Ends a process group and waits for every member, also what outlived its parent; killed when
// it takes too long.
void EndGroup(pid_t group) {
    kill(-group, SIGTERM);
    const auto deadline = Clock::now() + 5s;
    for (pid_t ended = 0; ended >= 0; ended = waitpid(-group, nullptr, WNOHANG)) {
        if (ended > 0)
            continue;
        if (Clock::now() > deadline)
            kill(-group, SIGKILL);
        std::this_thread::sleep_for(5ms);
    }
}
} // namespace

// Everything the buses started is in their group.
void ScreenReader::End() {
    EndOrca();
    close(toClient_);
    close(fromClient_);
    EndGroup(buses_);
}

// Orca starts the speech server as a daemon of its own, which outlives Orca: it comes to the
// test to be waited for, with the speech modules of its group.
void ScreenReader::EndOrca() {
    if (orcaHome_.empty())
        return;
    orcaEnded_ = true;
    orcaLogCopier_.join();
    close(orcaTerminal_);
    close(orcaTerminalSide_);
    std::ifstream pidFile(orcaRuntime_ / "speech-dispatcher/pid/speech-dispatcher.pid");
    pid_t server = 0;
    const pid_t group = pidFile >> server && server > 0 ? getpgid(server) : -1;
    std::error_code ignored;
    if (group <= 0)
        return (void)std::filesystem::remove_all(orcaRuntime_, ignored);
    EndGroup(group);
    std::filesystem::remove_all(orcaRuntime_, ignored);
}

bool ScreenReader::StartOrca(const std::filesystem::path& home) {
    if (!std::filesystem::exists("/usr/bin/orca") ||
        !std::filesystem::exists("/usr/bin/speech-dispatcher"))
        return false;
    orcaHome_ = home;
    // Without a sound server the speech server waits on the sound device after the first
    // utterance, and Orca hears back from it no more.
    std::filesystem::create_directories(home / ".config/speech-dispatcher");
    std::ofstream(home / ".config/speech-dispatcher/speechd.conf")
        << "AudioOutputMethod \"alsa\"\n";
    std::ofstream(home / ".asoundrc") << "pcm.!default { type null }\n";
    // The servers' sockets are there, and a socket's path is short.
    char runtime[] = "/tmp/comterm-orca-XXXXXX";
    if (!mkdtemp(runtime))
        throw std::runtime_error("mkdtemp failed");
    orcaRuntime_ = runtime;
    const std::map<std::string, std::string> session = {{"DBUS_SESSION_BUS_ADDRESS", address_},
                                                        {"DISPLAY", display_},
                                                        {"HOME", home.string()},
                                                        {"XDG_RUNTIME_DIR", orcaRuntime_.string()},
                                                        {"GSETTINGS_BACKEND", "memory"}};
    // Orca's log reaches its file in blocks of 8 KiB, a terminal gets it line by line.
    orcaTerminal_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (orcaTerminal_ < 0 || grantpt(orcaTerminal_) != 0 || unlockpt(orcaTerminal_) != 0 ||
        tcgetattr(orcaTerminal_, &raw) != 0)
        throw std::runtime_error("no pseudo-terminal for Orca's log");
    cfmakeraw(&raw);
    tcsetattr(orcaTerminal_, TCSANOW, &raw);
    const std::string terminal = ptsname(orcaTerminal_);
    orcaTerminalSide_ = open(terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    orcaLogCopier_ = std::thread([this, log = home / "orca.log"] {
        const int file = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        char buffer[65536];
        while (!orcaEnded_) {
            pollfd ready{orcaTerminal_, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0)
                continue;
            const ssize_t got = read(orcaTerminal_, buffer, sizeof buffer);
            if (got > 0 && write(file, buffer, static_cast<std::size_t>(got)) != got)
                break;
        }
        close(file);
    });
    Start({"/usr/bin/orca", "--debug-file=" + terminal}, buses_,
          (home / "orca-output.txt").string(), session, -1, -1);
    return true;
}

bool ScreenReader::OrcaSays(const std::string& words, std::chrono::milliseconds timeout) {
    return OrcaLogs(kSpoken + words, timeout);
}

bool ScreenReader::OrcaLogs(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    do {
        std::ifstream file(orcaHome_ / "orca.log", std::ios::binary);
        std::string line;
        std::size_t read = 0;
        for (file.seekg(static_cast<std::streamoff>(orcaHeard_)); std::getline(file, line);) {
            read += line.size() + 1;
            if (line.find(text) != std::string::npos) {
                orcaHeard_ += read;
                return true;
            }
        }
        std::this_thread::sleep_for(20ms);
    } while (Clock::now() < deadline);
    return false;
}

std::string ScreenReader::spoken() const {
    std::ifstream file(orcaHome_ / "orca.log", std::ios::binary);
    std::string line;
    std::string lines;
    for (file.seekg(static_cast<std::streamoff>(orcaHeard_)); std::getline(file, line);)
        lines += line.find(kSpoken) != std::string::npos ? line + "\n" : "";
    return lines;
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
