#include "UserInput.h"

#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

void UserInput::Run(const std::vector<std::string>& arguments) const {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        if (std::string(*entry).rfind("DISPLAY=", 0) != 0)
            env.emplace_back(*entry);
    }
    env.push_back("DISPLAY=" + display_);
    std::vector<char*> envp;
    for (std::string& variable : env)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : command)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // Only the standard streams go along: the test's pty ends stay the test's.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "xdotool", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start xdotool (is it installed?)");
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string line;
        for (const std::string& argument : command)
            line += argument + " ";
        throw std::runtime_error("failed: " + line);
    }
}

void UserInput::Click(int x, int y) const {
    Run({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
}

void UserInput::Drag(int fromX, int fromY, int toX, int toY) const {
    Run({"mousemove", std::to_string(fromX), std::to_string(fromY), "mousedown", "1", "mousemove",
         std::to_string(toX), std::to_string(toY), "mouseup", "1"});
}

void UserInput::Type(const std::string& text) const {
    Run({"type", "--delay", "15", "--", text});
}

void UserInput::Key(const std::string& keys) const {
    Run({"key", "--delay", "15", "--", keys});
}

void UserInput::KeyHolding(const std::string& modifier, const std::string& key) const {
    Run({"keydown", modifier, "key", key, "sleep", "0.5", "keyup", modifier});
}

void UserInput::KeyRepeated(const std::string& key, int times) const {
    Run({"key", "--delay", "5", "--repeat", std::to_string(times), "--repeat-delay", "5", "--",
         key});
}

void UserInput::MoveWindow(unsigned long window, int x, int y) const {
    Run({"windowmove", std::to_string(window), std::to_string(x), std::to_string(y)});
}

void UserInput::ResizeWindow(unsigned long window, int width, int height) const {
    Run({"windowsize", std::to_string(window), std::to_string(width), std::to_string(height)});
}

void UserInput::Focus(unsigned long window) const {
    Run({"windowfocus", "--sync", std::to_string(window)});
}
