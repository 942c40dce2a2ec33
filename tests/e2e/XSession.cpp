#include "XSession.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A window can go away between listing and asking; such errors only mean "no answer".
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

bool WaitReadable(int fd, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return false;
    pollfd wait{fd, POLLIN, 0};
    return poll(&wait, 1, static_cast<int>(left.count())) > 0;
}

std::vector<unsigned char> Property(Display* display, Window window, ::Atom property,
                                    ::Atom* type = nullptr, int* format = nullptr) {
    ::Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned char> bytes;
    if (XGetWindowProperty(display, window, property, 0, 1 << 20, False, AnyPropertyType,
                           &actualType, &actualFormat, &count, &after, &data) == Success &&
        data) {
        // Xlib hands out 32-bit items as longs.
        const std::size_t itemSize =
            actualFormat == 32 ? sizeof(long) : static_cast<std::size_t>(actualFormat / 8);
        bytes.assign(data, data + count * itemSize);
    }
    if (data)
        XFree(data);
    if (type)
        *type = actualType;
    if (format)
        *format = actualFormat;
    return bytes;
}

std::vector<long> LongProperty(Display* display, Window window, ::Atom property) {
    int format = 0;
    const std::vector<unsigned char> bytes = Property(display, window, property, nullptr, &format);
    std::vector<long> values(format == 32 ? bytes.size() / sizeof(long) : 0);
    if (!values.empty())
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(long));
    return values;
}

std::vector<Window> Children(Display* display, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> found;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children)
        found.assign(children, children + count);
    if (children)
        XFree(children);
    return found;
}

uint32_t Crc32(const std::string& bytes, uint32_t crc = 0) {
    crc = ~crc;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
    PutBigEndian(png, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    png += typed;
    PutBigEndian(png, Crc32(typed));
}

// RGB rows as a PNG; the image data goes in stored (uncompressed) deflate blocks.
std::string EncodePng(int width, int height, const std::string& rows) {
    std::string png = "\x89PNG\r\n\x1A\n";
    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    PutChunk(png, "IHDR", header);
    std::string zlib = "\x78\x01";
    uint32_t a = 1;
    uint32_t b = 0;
    for (const char c : rows) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < rows.size() || at == 0; at += 65535) {
        const std::size_t size = std::min<std::size_t>(65535, rows.size() - at);
        zlib += static_cast<char>(at + size >= rows.size() ? 1 : 0);
        zlib += static_cast<char>(size & 0xFF);
        zlib += static_cast<char>(size >> 8);
        zlib += static_cast<char>(~size & 0xFF);
        zlib += static_cast<char>((~size >> 8) & 0xFF);
        zlib.append(rows, at, size);
        if (rows.empty())
            break;
    }
    PutBigEndian(zlib, (b << 16) | a);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");
    return png;
}

} // namespace

XServer::XServer() {
    int ready[2];
    if (pipe(ready) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        dup2(ready[1], 3);
        close_range(4, ~0u, 0);
        // -ac: the server is private to this test and also serves a client of another user.
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten",
               "tcp", "-ac", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // Xvfb writes the display number once it accepts clients.
    std::string number;
    char c = 0;
    const auto deadline = Clock::now() + 30s;
    while (WaitReadable(ready[0], deadline) && read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    if (number.empty()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("Xvfb did not start (is it installed?)");
    }
    display_ = ":" + number;
}

XServer::~XServer() {
    kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = Clock::now() + 5s;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
}

struct XClient::Impl {
    Display* display = nullptr;
    Window root = 0;
    long pingTag = 0;
    std::vector<StateRequest> stateRequests;
};

XClient::XClient(const std::string& display) : impl_(new Impl) {
    XSetErrorHandler(IgnoreXErrors);
    impl_->display = XOpenDisplay(display.c_str());
    if (!impl_->display) {
        delete impl_;
        throw std::runtime_error("cannot connect to X display " + display);
    }
    impl_->root = DefaultRootWindow(impl_->display);
    // Qt answers a ping to the root window for StructureNotify listeners, and asks for state
    // changes there for SubstructureNotify listeners, as the window manager would be.
    XSelectInput(impl_->display, impl_->root, StructureNotifyMask | SubstructureNotifyMask);
}

XClient::~XClient() {
    XCloseDisplay(impl_->display);
    delete impl_;
}

unsigned long XClient::Intern(const char* name) {
    return XInternAtom(impl_->display, name, False);
}

std::vector<XWindowId> XClient::TopLevelWindows(pid_t pid) {
    Display* display = impl_->display;
    const ::Atom pidAtom = Intern("_NET_WM_PID");
    std::vector<XWindowId> found;
    auto consider = [&](Window candidate) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, candidate, &attributes) ||
            attributes.map_state != IsViewable || attributes.override_redirect)
            return false;
        const std::vector<long> owner = LongProperty(display, candidate, pidAtom);
        if (owner.empty())
            return false;
        if (owner[0] == pid)
            found.push_back(candidate);
        return true;
    };
    for (Window top : Children(display, impl_->root)) {
        if (consider(top))
            continue;
        for (Window inside : Children(display, top))
            consider(inside);
    }
    return found;
}

std::vector<XWindowId> XClient::Popups(pid_t pid) {
    std::vector<XWindowId> found;
    for (Window top : Children(impl_->display, impl_->root)) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(impl_->display, top, &attributes) ||
            attributes.map_state != IsViewable || !attributes.override_redirect)
            continue;
        const std::vector<long> owner = LongProperty(impl_->display, top, Intern("_NET_WM_PID"));
        if (!owner.empty() && owner[0] == pid)
            found.push_back(top);
    }
    return found;
}

std::string XClient::Title(XWindowId window) {
    std::string name = TextProperty(window, "_NET_WM_NAME");
    return name.empty() ? TextProperty(window, "WM_NAME") : name;
}

std::string XClient::TextProperty(XWindowId window, const char* name) {
    const std::vector<unsigned char> bytes = Property(impl_->display, window, Intern(name));
    return {bytes.begin(), bytes.end()};
}

std::optional<WindowGeometry> XClient::Geometry(XWindowId window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(impl_->display, window, &attributes))
        return std::nullopt;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(impl_->display, window, impl_->root, 0, 0, &x, &y, &child))
        return std::nullopt;
    return WindowGeometry{x, y, attributes.width, attributes.height};
}

std::vector<std::string> XClient::NetWmState(XWindowId window) {
    std::vector<std::string> names;
    for (long atom : LongProperty(impl_->display, window, Intern("_NET_WM_STATE"))) {
        char* name = XGetAtomName(impl_->display, static_cast<::Atom>(atom));
        if (name) {
            names.emplace_back(name);
            XFree(name);
        }
    }
    return names;
}

std::optional<unsigned long> XClient::Opacity(XWindowId window) {
    const std::vector<long> value =
        LongProperty(impl_->display, window, Intern("_NET_WM_WINDOW_OPACITY"));
    if (value.empty())
        return std::nullopt;
    return static_cast<unsigned long>(value[0]) & 0xFFFFFFFFul;
}

XWindowId XClient::TransientFor(XWindowId window) {
    Window owner = 0;
    return XGetTransientForHint(impl_->display, window, &owner) ? owner : 0;
}

void XClient::AddRussianLetters() {
    Display* display = impl_->display;
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perCode = 0;
    KeySym* map =
        XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &perCode);
    std::vector<int> unused;
    for (int code = first; code <= last; ++code) {
        // Keys without symbols, and the multimedia keys (XF86...) that no test presses.
        const KeySym* symbols = map + (code - first) * perCode;
        bool spare = (symbols[0] & ~KeySym{0xFF}) == 0x1008FF00;
        if (!spare) {
            spare = true;
            for (int i = 0; i < perCode; ++i)
                spare = spare && symbols[i] == NoSymbol;
        }
        if (spare)
            unused.push_back(code);
    }
    XFree(map);
    // Unicode keysyms, the form xdotool looks for: а-я at U+0430, А-Я at U+0410, ё and Ё.
    std::vector<std::pair<KeySym, KeySym>> letters;
    for (KeySym i = 0; i < 32; ++i)
        letters.emplace_back(0x1000430 + i, 0x1000410 + i);
    letters.emplace_back(0x1000451, 0x1000401);
    if (unused.size() < letters.size())
        throw std::runtime_error("not enough unused keys for the Russian letters");
    for (std::size_t i = 0; i < letters.size(); ++i) {
        KeySym pair[] = {letters[i].first, letters[i].second};
        XChangeKeyboardMapping(display, unused[i], 2, pair, 1);
    }
    XSync(display, False);
}

std::optional<std::string> XClient::Clipboard(std::chrono::milliseconds timeout) {
    Display* display = impl_->display;
    const Window requestor = XCreateSimpleWindow(display, impl_->root, 0, 0, 1, 1, 0, 0, 0);
    const ::Atom property = Intern("COMTERM_E2E_PASTE");
    XConvertSelection(display, Intern("CLIPBOARD"), Intern("UTF8_STRING"), property, requestor,
                      CurrentTime);
    XFlush(display);
    std::optional<std::string> text;
    const auto deadline = Clock::now() + timeout;
    for (bool answered = false; !answered;) {
        XEvent event{};
        if (XCheckTypedWindowEvent(display, requestor, SelectionNotify, &event)) {
            answered = true;
            if (event.xselection.property != None)
                text = TextProperty(requestor, "COMTERM_E2E_PASTE");
        } else if (!WaitReadable(ConnectionNumber(display), deadline)) {
            break;
        }
    }
    XDestroyWindow(display, requestor);
    XFlush(display);
    return text;
}

bool SavePng(const RgbImage& image, const std::string& path) {
    std::string rows;
    rows.reserve(static_cast<std::size_t>(image.height) * (1 + 3 * image.width));
    for (int y = 0; y < image.height; ++y) {
        rows += '\0'; // no filter
        for (int x = 0; x < image.width; ++x) {
            const unsigned long pixel = image.at(x, y);
            rows += static_cast<char>((pixel >> 16) & 0xFF);
            rows += static_cast<char>((pixel >> 8) & 0xFF);
            rows += static_cast<char>(pixel & 0xFF);
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const std::string png = EncodePng(image.width, image.height, rows);
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

RgbImage XClient::Capture(int x, int y, int width, int height) {
    RgbImage captured;
    XImage* image = XGetImage(impl_->display, impl_->root, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return captured;
    captured.width = width;
    captured.height = height;
    captured.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column)
            captured.pixels.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return captured;
}

bool XClient::SaveScreenshot(const std::string& path) {
    XWindowAttributes root{};
    XGetWindowAttributes(impl_->display, impl_->root, &root);
    const RgbImage screen = Capture(0, 0, root.width, root.height);
    return !screen.pixels.empty() && SavePng(screen, path);
}

void XClient::RequestClose(XWindowId window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = Intern("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(Intern("WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(impl_->display, window, False, NoEventMask, &event);
    XFlush(impl_->display);
}

std::vector<StateRequest> XClient::TakeStateRequests(XWindowId window) {
    HandleEvents(0, Clock::now());
    std::vector<StateRequest> taken;
    std::vector<StateRequest> kept;
    for (StateRequest& request : impl_->stateRequests)
        (request.window == window ? taken : kept).push_back(std::move(request));
    impl_->stateRequests = std::move(kept);
    return taken;
}

bool XClient::HandleEvents(long pingTag, Clock::time_point deadline) {
    Display* display = impl_->display;
    const ::Atom protocols = Intern("WM_PROTOCOLS");
    const ::Atom ping = Intern("_NET_WM_PING");
    const ::Atom state = Intern("_NET_WM_STATE");
    for (;;) {
        while (XPending(display)) {
            XEvent event{};
            XNextEvent(display, &event);
            if (event.type != ClientMessage)
                continue;
            const XClientMessageEvent& message = event.xclient;
            if (message.message_type == protocols &&
                static_cast<::Atom>(message.data.l[0]) == ping && message.data.l[3] == pingTag &&
                pingTag != 0)
                return true;
            if (message.message_type == state) {
                StateRequest request{message.window, message.data.l[0], {}};
                for (int i = 1; i <= 2; ++i) {
                    if (message.data.l[i] == 0)
                        continue;
                    char* name = XGetAtomName(display, static_cast<::Atom>(message.data.l[i]));
                    if (name) {
                        request.states.emplace_back(name);
                        XFree(name);
                    }
                }
                impl_->stateRequests.push_back(std::move(request));
            }
        }
        if (!WaitReadable(ConnectionNumber(display), deadline))
            return false;
    }
}

std::optional<std::chrono::milliseconds> XClient::Ping(XWindowId window,
                                                       std::chrono::milliseconds timeout) {
    Display* display = impl_->display;
    const long tag = ++impl_->pingTag;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = Intern("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(Intern("_NET_WM_PING"));
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = static_cast<long>(window);
    event.xclient.data.l[3] = tag; // comes back unchanged, so late answers are told apart
    const auto start = Clock::now();
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    if (!HandleEvents(tag, start + timeout))
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

struct ClipboardOwner::Impl {
    Display* display = nullptr;
    Window window = 0;
    std::string text;
    std::atomic<bool> stop{false};
    std::atomic<int> served{0};
    std::thread thread;

    void Serve();
    void Answer(const XSelectionRequestEvent& request);
};

void ClipboardOwner::Impl::Answer(const XSelectionRequestEvent& request) {
    const ::Atom targets = XInternAtom(display, "TARGETS", False);
    const ::Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const ::Atom plain = XInternAtom(display, "text/plain;charset=utf-8", False);
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = request.property ? request.property : request.target;
    if (request.target == targets) {
        const ::Atom offered[] = {targets, utf8, plain};
        XChangeProperty(display, request.requestor, reply.xselection.property, XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(offered), 3);
    } else if (request.target == utf8 || request.target == plain) {
        // One property: the server takes big requests, so a few megabytes need no INCR.
        XChangeProperty(display, request.requestor, reply.xselection.property, request.target, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
        ++served;
    } else {
        reply.xselection.property = None;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

void ClipboardOwner::Impl::Serve() {
    while (!stop) {
        while (XPending(display)) {
            XEvent event{};
            XNextEvent(display, &event);
            if (event.type == SelectionRequest)
                Answer(event.xselectionrequest);
        }
        WaitReadable(ConnectionNumber(display), Clock::now() + 20ms);
    }
}

ClipboardOwner::ClipboardOwner(const std::string& display, std::string text) : impl_(new Impl) {
    impl_->display = XOpenDisplay(display.c_str());
    if (!impl_->display) {
        delete impl_;
        throw std::runtime_error("cannot connect to X display " + display);
    }
    impl_->text = std::move(text);
    impl_->window =
        XCreateSimpleWindow(impl_->display, DefaultRootWindow(impl_->display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(impl_->display, XInternAtom(impl_->display, "CLIPBOARD", False),
                       impl_->window, CurrentTime);
    XSync(impl_->display, False);
    impl_->thread = std::thread([this] { impl_->Serve(); });
}

ClipboardOwner::~ClipboardOwner() {
    impl_->stop = true;
    impl_->thread.join();
    XCloseDisplay(impl_->display);
    delete impl_;
}

int ClipboardOwner::Served() const {
    return impl_->served;
}
