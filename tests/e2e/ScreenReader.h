#pragma once
// A desktop session's accessibility stack: a private session bus, the accessibility bus
// launcher on it (which starts the accessibility bus and its registry), and a client of that
// bus as a screen reader is one (atspi_client.py), asked one request at a time.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>

class ScreenReader {
  public:
    // Starts the buses and the client for the X display, their output going to the log, and
    // waits until the client can use the accessibility bus.
    ScreenReader(const std::string& display, const std::filesystem::path& log);
    ~ScreenReader(); // ends the client, the buses and everything they started
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    // The variables that put a program in this session with its accessibility on.
    std::map<std::string, std::optional<std::string>> environment() const;
    // Starts Orca, the screen reader users have, in this session: its settings in memory, its
    // debug log (orca.log) under the home given, its speech server's files in a folder of
    // /tmp, the server's sound going to a
    // null device. False where Orca is not installed. Orca is ready once it has spoken.
    bool StartOrca(const std::filesystem::path& home);
    // Waits until Orca's log shows it speaking a text that starts with the words, later than
    // the last line found; what it spoke since then is in spoken().
    bool OrcaSays(const std::string& words,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The same for a line of its log that holds the text.
    bool OrcaLogs(const std::string& text,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::string spoken() const;

    // Sends one request (a JSON array, see atspi_client.py) and returns the answer's line, or
    // an empty string when none came in time.
    std::string Ask(const std::string& request,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20));

  private:
    void End();
    void EndOrca();

    pid_t buses_ = -1; // the session bus, leader of the group of everything the buses start
    pid_t client_ = -1;
    int toClient_ = -1;
    int fromClient_ = -1;
    std::string address_;
    std::string unread_;
    std::string display_;
    std::filesystem::path orcaHome_; // empty while Orca is not started
    std::filesystem::path orcaRuntime_;
    int orcaTerminal_ = -1; // the pseudo-terminal Orca writes its log to, and its other end
    int orcaTerminalSide_ = -1;
    std::thread orcaLogCopier_; // copies the log to orca.log as Orca writes it
    std::atomic<bool> orcaEnded_ = false;
    std::size_t orcaHeard_ = 0; // the part of its log OrcaSays has looked at
};

// A string field of an answer with its escapes undone; none where the answer has no such
// field.
std::optional<std::string> AnswerField(const std::string& answer, const std::string& name);
