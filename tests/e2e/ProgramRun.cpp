#include "ProgramRun.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

} // namespace

std::string ReadFileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

std::vector<std::string> ListNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ProgramDirectory::ProgramDirectory(const fs::path& dir, const fs::path& binary) : dir_(dir) {
    fs::create_directories(dir_ / "ports");
    std::error_code error;
    fs::create_hard_link(binary, this->binary(), error);
    if (error)
        fs::copy_file(binary, this->binary());
}

void ProgramDirectory::LinkPort(const std::string& name, const std::string& target) const {
    UnlinkPort(name);
    fs::create_symlink(target, dir_ / "ports" / name);
}

void ProgramDirectory::UnlinkPort(const std::string& name) const {
    std::error_code ignored;
    fs::remove(dir_ / "ports" / name, ignored);
}

void ProgramDirectory::WriteSettings(const std::string& bytes) const {
    WriteFileBytes(settings(), bytes);
    // As a user's editor leaves it, whatever the test's umask.
    fs::permissions(settings(), fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read | fs::perms::others_read);
}

std::string ProgramDirectory::ReadSettings() const {
    return ReadFileBytes(settings());
}

std::vector<fs::path> ProgramDirectory::LogFiles() const {
    static const std::regex kLogName(R"(\d\d_\d\d_\d\d__\d\d_\d\d_\d{4}_Tavik\.log)");
    std::vector<fs::path> logs;
    for (const std::string& name : ListNames(dir_)) {
        if (std::regex_match(name, kLogName) && fs::is_regular_file(dir_ / name))
            logs.push_back(dir_ / name);
    }
    return logs;
}

RunningProgram::RunningProgram(const fs::path& binary, const LaunchOptions& options) {
    // Everything the child needs is built before fork: the test may have threads.
    // The test's own desktop, if it runs in one, stays out of the program's.
    std::map<std::string, std::optional<std::string>> set = {
        {"DISPLAY", options.display},
        {"QT_QPA_PLATFORM", "xcb"},
        {"QT_ACCESSIBILITY", "0"},
        {"HOME", options.home.string()},
        {"XDG_RUNTIME_DIR", options.home.string()},
        {"WAYLAND_DISPLAY", std::nullopt},
        {"XDG_SESSION_TYPE", std::nullopt},
        {"QT_SCALE_FACTOR", std::nullopt},
    };
    for (const auto& [name, value] : options.environment)
        set[name] = value;
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (!set.contains(variable.substr(0, variable.find('='))))
            env.push_back(variable);
    }
    for (const auto& [name, value] : set) {
        if (value)
            env.push_back(name + "=" + *value);
    }
    std::vector<char*> envp;
    for (std::string& variable : env)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    const std::string path = binary.string();
    std::vector<std::string> arguments{path};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string output = options.output.string();
    const int outputFd = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (outputFd < 0)
        throw std::runtime_error("cannot create " + output);

    pid_ = fork();
    if (pid_ == 0) {
        dup2(outputFd, 1);
        dup2(outputFd, 2);
        // The test's own pty ends must not live on in the program, or closing them would not
        // take the device away.
        close_range(3, ~0u, 0);
        // Started from elsewhere, as from a shortcut: the program must find its own directory.
        if (chdir("/") != 0)
            _exit(126);
        if (options.user) {
            const gid_t group = static_cast<gid_t>(*options.user);
            if (setgroups(0, nullptr) != 0 || setresgid(group, group, group) != 0 ||
                setresuid(*options.user, *options.user, *options.user) != 0)
                _exit(126);
        }
        if (options.fileSizeLimit) {
            const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(126);
        }
        execve(path.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(outputFd);
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
}

RunningProgram::~RunningProgram() {
    if (Running()) {
        kill(pid_, SIGKILL);
        WaitExit(5s);
    }
}

bool RunningProgram::Running() {
    return !WaitExit(0ms).has_value();
}

std::optional<int> RunningProgram::WaitExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!status_) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            if (WIFEXITED(status)) {
                status_ = WEXITSTATUS(status);
            } else {
                status_ = -1;
                signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            }
            break;
        }
        if (Clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(5ms);
    }
    return status_;
}

std::chrono::milliseconds RunningProgram::CpuTime() const {
    std::istringstream stat(ReadFileBytes("/proc/" + std::to_string(pid_) + "/stat"));
    std::string text = stat.str();
    // The command name may hold spaces; the fields that count come after its ")".
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return std::chrono::milliseconds(-1);
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long ticks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14 || index == 15)
            ticks += std::stol(field);
        if (index == 15)
            break;
    }
    return std::chrono::milliseconds(ticks * 1000 / sysconf(_SC_CLK_TCK));
}
