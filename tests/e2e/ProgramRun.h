#pragma once
// The built program copied into a directory of its own and run there as a separate process.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace fs = std::filesystem;

std::string ReadFileBytes(const fs::path& file);
void WriteFileBytes(const fs::path& file, const std::string& bytes);
// Names in a directory, sorted.
std::vector<std::string> ListNames(const fs::path& dir);

// A program directory: the binary (hard-linked when it can be, else copied) and the port
// links beside it.
class ProgramDirectory {
  public:
    ProgramDirectory(const fs::path& dir, const fs::path& binary);

    const fs::path& path() const { return dir_; }
    fs::path binary() const { return dir_ / "comterm"; }
    fs::path settings() const { return dir_ / "Setting.ini"; }

    // ports/<name> -> target, replacing any link of that name.
    void LinkPort(const std::string& name, const std::string& target) const;
    void UnlinkPort(const std::string& name) const;
    void WriteSettings(const std::string& bytes) const;
    std::string ReadSettings() const;
    // Log files of the program's naming, sorted by name.
    std::vector<fs::path> LogFiles() const;

  private:
    fs::path dir_;
};

struct LaunchOptions {
    std::string display;
    fs::path output;                    // stdout and stderr of the program
    fs::path home;                      // HOME and XDG_RUNTIME_DIR
    std::optional<uid_t> user;          // run as this user and its group instead of ours
    std::vector<std::string> arguments; // after the program's own name
    // Variables set for the program over the harness's own (which include QT_QPA_PLATFORM=xcb
    // and DISPLAY); none removes one.
    std::map<std::string, std::optional<std::string>> environment;
    std::optional<std::uint64_t> fileSizeLimit; // bytes, as `ulimit -f` sets it
};

class RunningProgram {
  public:
    RunningProgram(const fs::path& binary, const LaunchOptions& options);
    ~RunningProgram(); // kills the process if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool Running();
    // The exit status once it has exited within the timeout; -1 for a signal, none for still
    // running.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout);
    // User plus system CPU time used so far.
    std::chrono::milliseconds CpuTime() const;
    // The signal that ended it, 0 when it exited by itself.
    int TermSignal() const { return signal_; }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    int signal_ = 0;
};
