#pragma once
// A private X server (Xvfb) and what the tests read from it or ask of it as a window manager
// or a user's desktop would: window lists, titles, geometry, properties, the close request,
// the ping that shows a client still answers, and the clipboard.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

using XWindowId = unsigned long;

// Starts Xvfb on a free display and stops it when destroyed.
class XServer {
  public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

// A client's request to the window manager to change a state of its mapped window.
struct StateRequest {
    XWindowId window = 0;
    long action = 0; // 0 remove, 1 add, 2 toggle
    std::vector<std::string> states;
};

// Pixels as 0xRRGGBB, row by row.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned long> pixels;

    unsigned long at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// The image as an uncompressed PNG file.
bool SavePng(const RgbImage& image, const std::string& path);

struct WindowGeometry {
    int x = 0; // client area's corner on the screen
    int y = 0;
    int width = 0;
    int height = 0;
};

// One connection to the server, used from the test's thread only.
class XClient {
  public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // Mapped top-level windows that a process owns (by _NET_WM_PID), popups and tooltips
    // (override-redirect windows) left out; also inside the frames a window manager puts
    // around them.
    std::vector<XWindowId> TopLevelWindows(pid_t pid);
    // Mapped popups of a process: drop-down lists, menus, tooltips (override-redirect windows).
    std::vector<XWindowId> Popups(pid_t pid);
    // The window's title as UTF-8 (_NET_WM_NAME, else WM_NAME).
    std::string Title(XWindowId window);
    // A text property's bytes as stored ("_NET_WM_NAME", "WM_NAME"), empty when not set.
    std::string TextProperty(XWindowId window, const char* name);
    std::optional<WindowGeometry> Geometry(XWindowId window);
    std::vector<std::string> NetWmState(XWindowId window);
    // The _NET_WM_STATE requests sent for the window since the last call. With no window
    // manager running nobody carries them out, so they are the program's word on a state.
    std::vector<StateRequest> TakeStateRequests(XWindowId window);
    // _NET_WM_WINDOW_OPACITY, or none when the property is not set.
    std::optional<unsigned long> Opacity(XWindowId window);
    // WM_TRANSIENT_FOR, 0 when not set.
    XWindowId TransientFor(XWindowId window);

    // Puts the Russian letters (lower case, with Shift upper case) on spare keys, as a user's
    // second keyboard layout would. Typing a letter missing from the map makes xdotool remap
    // a key for that moment only, which races with the client reading the new map.
    void AddRussianLetters();

    // The CLIPBOARD selection as UTF-8 text, as a program the user pastes into gets it; none
    // when nobody owns it or no answer came in time.
    std::optional<std::string> Clipboard(std::chrono::milliseconds timeout);

    // The whole screen as an uncompressed PNG file, for looking at after a failure.
    bool SaveScreenshot(const std::string& path);
    // What the screen shows in a rectangle of screen coordinates.
    RgbImage Capture(int x, int y, int width, int height);

    // WM_DELETE_WINDOW, as a window manager sends it for the close box.
    void RequestClose(XWindowId window);
    // Sends _NET_WM_PING and waits for the client's answer; the time it took, or none when no
    // answer came in time.
    std::optional<std::chrono::milliseconds> Ping(XWindowId window,
                                                  std::chrono::milliseconds timeout);

  private:
    unsigned long Intern(const char* name);
    // Reads the events that have come, until the deadline when waiting for a ping's answer.
    bool HandleEvents(long pingTag, std::chrono::steady_clock::time_point deadline);

    struct Impl;
    Impl* impl_;
};

// Owns the CLIPBOARD selection with the given UTF-8 text and serves it from a thread of its
// own until destroyed, as a program the user copied from would.
class ClipboardOwner {
  public:
    ClipboardOwner(const std::string& display, std::string text);
    ~ClipboardOwner();
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    // How many times the text itself was handed out.
    int Served() const;

  private:
    struct Impl;
    Impl* impl_;
};
