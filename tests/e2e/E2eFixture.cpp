#include "E2eFixture.h"

#include <ctime>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string Cp1251(const std::string& utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
            continue;
        }
        const unsigned code =
            ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        if (code >= 0x410 && code <= 0x44F)
            bytes += static_cast<char>(0xC0 + (code - 0x410));
        else if (code == 0x401)
            bytes += '\xA8';
        else if (code == 0x451)
            bytes += '\xB8';
        else
            throw std::invalid_argument("no Windows-1251 byte in this test's table");
    }
    return bytes;
}

std::string HexText(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
        text += ' ';
    }
    return text;
}

int WaitingOnDevice(const PtyPeer& peer) {
    int waiting = 0;
    return ioctl(peer.device, FIONREAD, &waiting) == 0 ? waiting : -1;
}

bool WaitConsumed(const PtyPeer& peer, std::chrono::milliseconds timeout) {
    // Bytes pass through the kernel's flip buffer before they are counted, so a single zero
    // can come too early; 100 ms of zeros is more than that hand-over takes.
    auto zeroSince = std::chrono::steady_clock::now();
    bool zero = false;
    return PollUntil(
        [&] {
            const auto now = std::chrono::steady_clock::now();
            if (WaitingOnDevice(peer) != 0) {
                zero = false;
                return false;
            }
            if (!zero) {
                zero = true;
                zeroSince = now;
            }
            return now - zeroSince >= 100ms;
        },
        timeout, 5ms);
}

namespace {

// Beside the build, where the binary can be hard-linked, unless some directory on the way is
// closed to other users: tests that run the program as another user need to reach it.
fs::path RunsRoot() {
    const fs::path beside(COMTERM_E2E_RUNS);
    for (fs::path dir = beside.parent_path(); !dir.empty(); dir = dir.parent_path()) {
        std::error_code error;
        const fs::perms perms = fs::status(dir, error).permissions();
        if (error || (perms & fs::perms::others_exec) == fs::perms::none)
            return fs::temp_directory_path() / "comterm-e2e-runs";
        if (dir == dir.root_path())
            break;
    }
    return beside;
}

} // namespace

void ComtermE2e::SetUp() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    run = RunsRoot() / (std::string(test->test_suite_name()) + "." + test->name() + "." +
                        std::to_string(getpid()));
    fs::remove_all(run);
    fs::create_directories(run / "home");
    server = std::make_unique<XServer>();
    x = std::make_unique<XClient>(server->display());
    x->AddRussianLetters();
    input = std::make_unique<UserInput>(server->display());
    program = std::make_unique<ProgramDirectory>(run / "program", COMTERM_BINARY);
    // Whatever the umask, open to the other user some tests run the program as.
    const fs::perms open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec;
    for (const fs::path& dir : {run.parent_path(), run, program->path(), program->path() / "ports"})
        fs::permissions(dir, open);
}

void ComtermE2e::TearDown() {
    if (HasFailure() && x)
        x->SaveScreenshot((run / "screen-at-failure.png").string());
    if (process && process->Running()) {
        ADD_FAILURE() << "comterm was still running at the end of the test; killed";
        process.reset();
    }
    process.reset();
    x.reset();
    desktop.reset();
    server.reset();
    if (HasFailure()) {
        std::cout << "Kept for inspection: " << run << " (program output: " << run / "output.txt"
                  << ", the screen at the failure: " << run / "screen-at-failure.png"
                  << ")\n";
        return;
    }
    std::error_code ignored;
    fs::permissions(program->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(run, ignored);
}

void ComtermE2e::UseWaylandDesktop(bool withXwayland) {
    x.reset(); // it may talk to the X server of a desktop about to go
    desktop.reset();
    desktop = std::make_unique<WaylandDesktop>(run / "weston.log", withXwayland);
    environment["XDG_RUNTIME_DIR"] = desktop->runtimeDir().string();
    environment["WAYLAND_DISPLAY"] = desktop->socket();
    environment["XDG_SESSION_TYPE"] = "wayland";
    environment["QT_QPA_PLATFORM"] = std::nullopt;
    if (withXwayland) {
        environment["DISPLAY"] = desktop->xDisplay();
        x = std::make_unique<XClient>(desktop->xDisplay());
    } else {
        environment["DISPLAY"] = std::nullopt;
        x = std::make_unique<XClient>(server->display());
    }
}

std::unique_ptr<RunningProgram> ComtermE2e::StartWithoutWindow(const fs::path& output) {
    LaunchOptions options;
    options.display = server->display();
    options.output = output;
    options.home = run / "home";
    options.environment = environment;
    fs::permissions(options.home, fs::perms::owner_all, fs::perm_options::replace);
    return std::make_unique<RunningProgram>(program->binary(), options);
}

void ComtermE2e::StartInstance(const fs::path& binary, std::optional<uid_t> user,
                               const fs::path& output, Instance& started,
                               const std::vector<std::string>& arguments) {
    LaunchOptions options;
    options.display = server->display();
    options.output = output;
    options.home = run / "home";
    options.user = user;
    options.arguments = arguments;
    options.environment = environment;
    options.fileSizeLimit = fileSizeLimit;
    // Qt wants its runtime directory private to the user it runs as.
    fs::permissions(options.home, fs::perms::owner_all, fs::perm_options::replace);
    if (user) {
        ASSERT_EQ(chown(options.home.c_str(), *user, *user), 0);
    }
    started.process = std::make_unique<RunningProgram>(binary, options);
    started.window = 0;
    const bool shown = PollUntil(
        [&] {
            for (XWindowId candidate : x->TopLevelWindows(started.process->pid())) {
                const std::string title = x->Title(candidate);
                if (title == kTitleClosed || title == kTitleOpen || title == kTitleOpenFailed) {
                    started.window = candidate;
                    return true;
                }
            }
            return !started.process->Running();
        },
        60s, 20ms);
    if (user) {
        struct stat owner {};
        ASSERT_EQ(stat(("/proc/" + std::to_string(started.process->pid())).c_str(), &owner), 0);
        EXPECT_EQ(owner.st_uid, *user) << "not running as the given user";
    }
    ASSERT_TRUE(shown && started.window != 0) << "the main window did not appear; program output:\n"
                                              << ReadFileBytes(output);
    // The first ping is answered once the program has come to its event loop.
    ASSERT_TRUE(x->Ping(started.window, 30s)) << "the window does not answer";
}

void ComtermE2e::LaunchOnCom5(const PtyPeer& peer, StoredSettings& settings) {
    program->LinkPort("COM5", peer.path);
    settings.Port = "COM5";
    program->WriteSettings(FileText(settings));
    Launch();
}

void ComtermE2e::Launch(std::optional<uid_t> user, const std::vector<std::string>& arguments) {
    Instance started;
    StartInstance(program->binary(), user, run / "output.txt", started, arguments);
    process = std::move(started.process);
    window = started.window;
}

int ComtermE2e::CloseInstance(Instance& instance, const fs::path& output) {
    x->RequestClose(instance.window);
    const std::optional<int> status = instance.process->WaitExit(30s);
    EXPECT_TRUE(status.has_value()) << "comterm did not exit after the close request";
    const std::string text = ReadFileBytes(output);
    EXPECT_EQ(text.find("AddressSanitizer"), std::string::npos) << text;
    EXPECT_EQ(text.find("runtime error"), std::string::npos) << text;
    EXPECT_EQ(instance.process->TermSignal(), 0) << "ended by a signal; output:\n" << text;
    return status.value_or(-1);
}

int ComtermE2e::CloseWindow() {
    Instance instance{std::move(process), window};
    const int status = CloseInstance(instance, run / "output.txt");
    process = std::move(instance.process);
    return status;
}

WindowGeometry ComtermE2e::Geometry() {
    const std::optional<WindowGeometry> geometry = x->Geometry(window);
    if (!geometry)
        throw std::runtime_error("the main window has gone");
    return *geometry;
}

void ComtermE2e::ClickAt(Point client) {
    const WindowGeometry at = Geometry();
    input->Click(at.x + client.x, at.y + client.y);
}

void ComtermE2e::ClickSendEditor() {
    // The editor fills the bottom of the splitter, which ends 4 pixels above the window's edge.
    const WindowGeometry at = Geometry();
    input->Click(at.x + 60, at.y + at.height - 14);
}

void ComtermE2e::TypeLine(const std::string& utf8) {
    if (!utf8.empty())
        input->Type(utf8);
    input->Key("Return");
}

void ComtermE2e::ChoosePort(const std::string& name) {
    // Arrow keys, not typing: the list's type-ahead joins keys typed within 400 ms of the last
    // ones, so a second choice made soon after the first would not be found.
    const int number = std::stoi(name.substr(3));
    ClickAt(At::Port);
    Sync(); // the list is open and takes the keys
    if (number <= 128) {
        input->Key("Home");
        if (number > 1)
            input->KeyRepeated("Down", number - 1);
    } else {
        input->Key("End");
        if (number < 256)
            input->KeyRepeated("Up", 256 - number);
    }
    input->Key("Return");
    Sync();
}

void ComtermE2e::OpenRateList() {
    ClickAt(At::BaudArrow);
    Sync();
}

std::vector<XWindowId> ComtermE2e::WaitForLists() {
    std::vector<XWindowId> lists;
    PollUntil([&] { return !(lists = x->Popups(process->pid())).empty(); }, 5s);
    return lists;
}

bool ComtermE2e::WaitForListsClosed() {
    return PollUntil([&] { return x->Popups(process->pid()).empty(); }, 5s);
}

std::string ComtermE2e::Title() {
    return x->Title(window);
}

bool ComtermE2e::WaitForTitle(const std::string& title, std::chrono::milliseconds timeout) {
    return PollUntil([&] { return Title() == title; }, timeout);
}

// Qt answers a ping as it reads it and hands the input read with it to the widgets just after:
// a second ping is answered only once that input was handled.
void ComtermE2e::Sync() {
    for (int ping = 0; ping < 2; ++ping)
        ASSERT_TRUE(x->Ping(window, 20s)) << "the window did not answer within 20 s";
}

std::vector<XWindowId> ComtermE2e::Dialogs() {
    std::vector<XWindowId> dialogs;
    for (XWindowId candidate : x->TopLevelWindows(process->pid())) {
        if (candidate != window)
            dialogs.push_back(candidate);
    }
    return dialogs;
}

std::optional<XWindowId> ComtermE2e::WaitForDialog(std::chrono::milliseconds timeout) {
    std::optional<XWindowId> found;
    PollUntil(
        [&] {
            const std::vector<XWindowId> dialogs = Dialogs();
            if (!dialogs.empty())
                found = dialogs.front();
            return found.has_value();
        },
        timeout);
    return found;
}

void ComtermE2e::DismissDialog(XWindowId dialog) {
    input->Focus(dialog);
    input->Key("Return");
    EXPECT_TRUE(PollUntil([&] { return Dialogs().empty(); }, 10s)) << "the dialog stayed open";
}

void ComtermE2e::Connect() {
    ClickAt(At::Connect);
    ASSERT_TRUE(WaitForTitle(kTitleOpen)) << "title: " << Title();
}

std::optional<fs::path> ComtermE2e::SingleLog() {
    const std::vector<fs::path> logs = program->LogFiles();
    if (logs.size() != 1)
        return std::nullopt;
    return logs.front();
}

bool ComtermE2e::WaitForLog(const std::string& bytes, std::chrono::milliseconds timeout) {
    return PollUntil(
        [&] {
            const std::optional<fs::path> log = SingleLog();
            return log && ReadFileBytes(*log) == bytes;
        },
        timeout);
}

std::optional<uid_t> Nobody() {
    const passwd* entry = getpwnam("nobody");
    if (!entry || entry->pw_uid == 0)
        return std::nullopt;
    return entry->pw_uid;
}

std::string LogNameAt(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char name[64];
    std::strftime(name, sizeof name, "%H_%M_%S__%m_%d_%Y_Tavik.log", &local);
    return name;
}

std::string LogNameNow() {
    return LogNameAt(std::time(nullptr));
}
