#pragma once
// A private Wayland desktop: weston on its headless backend, with Xwayland for X programs when
// asked, as a user's session runs them.

#include <filesystem>
#include <string>
#include <sys/types.h>

class WaylandDesktop {
  public:
    // The compositor's log goes to the log file.
    WaylandDesktop(const std::filesystem::path& log, bool withXwayland);
    ~WaylandDesktop(); // stops the compositor and what it started, removes its directory
    WaylandDesktop(const WaylandDesktop&) = delete;
    WaylandDesktop& operator=(const WaylandDesktop&) = delete;

    // XDG_RUNTIME_DIR, which a desktop gives each user: a private directory, under /tmp as a
    // socket's path is short.
    const std::filesystem::path& runtimeDir() const { return runtimeDir_; }
    // WAYLAND_DISPLAY as a desktop sets it: the socket's name in the runtime directory.
    const std::string& socket() const { return socket_; }
    // DISPLAY of its X server; empty without one.
    const std::string& xDisplay() const { return xDisplay_; }

  private:
    pid_t pid_ = -1;
    std::filesystem::path runtimeDir_;
    std::string socket_ = "wayland-0";
    std::string xDisplay_;
};
