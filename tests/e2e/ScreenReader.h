#pragma once
// A desktop session's accessibility stack: a private session bus, the accessibility bus
// launcher on it (which starts the accessibility bus and its registry), and a client of that
// bus as a screen reader is one (atspi_client.py), asked one request at a time.

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>

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
    // Sends one request (a JSON array, see atspi_client.py) and returns the answer's line, or
    // an empty string when none came in time.
    std::string Ask(const std::string& request,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20));

  private:
    void End();

    pid_t buses_ = -1; // the session bus, leader of the group of everything the buses start
    pid_t client_ = -1;
    int toClient_ = -1;
    int fromClient_ = -1;
    std::string address_;
    std::string unread_;
};

// A string field of an answer with its escapes undone; none where the answer has no such
// field.
std::optional<std::string> AnswerField(const std::string& answer, const std::string& name);
