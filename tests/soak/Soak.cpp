// The whole program, started as usual in its own directory, receives a pseudo-random stream
// from a pseudo-terminal at the top listed rate (1048576 baud) or a typed one in hexadecimal mode
// with the log on. Afterwards the log must hold the hexadecimal text of every byte sent, and the
// program must have kept up cheaply: short ticks, little processor time, memory that does not
// grow with the text received, no backlog at the device. With --report-limits those figures are
// printed but do not fail the run, as the test command runs it: on a shared machine they
// measure the neighbours as much as the program.
//
//     soak [--seconds N] [--baud B] [--warm-up S] [--report-limits]
//          [--char] [--flat-out] [--reference] [--idle [--disconnected]]
//
// Defaults: 30 s at 1048576 baud; memory growth counts after the first S seconds, by default
// the first sixth of the run up to 5 s. For the benchmarks of bench/: --char shows characters
// instead, --flat-out sends as fast as the pty takes it for N seconds, --reference reads with a
// plain loop of poll and read instead of the program, --idle sends nothing (the port open, or
// closed with --disconnected) and reports only the processor time.
//
// Start-up makes the executable's directory current and writes Setting.ini and the log there,
// so the program runs from a link to itself in a scratch directory that is removed afterwards.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <QApplication>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "app/EventLoop.h"
#include "app/Startup.h"
#include "serial/SerialPort.h"
#include "shared/TerminalState.h"
#include "support/PtyPeer.h"
#include "terminal/ConnectionControl.h"
#include "terminal/ReceivePump.h"
#include "ui/Window.h"

#if defined(__SANITIZE_ADDRESS__)
#define COMTERM_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COMTERM_SOAK_ASAN 1
#endif
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kScratchFlag[] = "--in-scratch";
constexpr char kReportLimitsFlag[] = "--report-limits";
constexpr int kPortNumber = 250;

// Limits of a healthy run.
constexpr double kMaxTickP99Ms = 5;
constexpr double kMaxCpuShare = 0.05;
constexpr double kMaxRssBytesPerByte = 0.1;
// A real port's driver holds 64 KiB behind its 4 KiB queue and drops what comes after; a
// pseudo-terminal holds less and makes the sender wait instead, so the peer's backlog stands
// for bytes a real line would have lost.
constexpr std::int64_t kMaxBacklog = 48 * 1024;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Byte i of the stream, computable at any position, so that the check needs no copy.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

void FillStream(std::int64_t position, unsigned char* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const auto at = static_cast<std::uint64_t>(position) + i;
        out[i] = static_cast<unsigned char>(Mix(at / 8) >> (8 * (at % 8)));
    }
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

std::int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0;
    std::int64_t resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// ---- The peer ----

struct PeerResult {
    std::int64_t sent = 0;
    std::int64_t largestBacklog = 0;
    std::int64_t behindAtEnd = 0;
    Clock::duration took{};
    double cpuSeconds = 0;
    bool gaveUp = false;
};

struct PeerPace {
    std::int64_t total = 0; // paced: the whole stream
    double bytesPerSecond = 0;
    std::optional<Clock::duration> flatOutFor; // as fast as the pty takes it, for this long
    bool charMode = false;
};

// Sends the stream, paced or flat out. When the pty takes no more it tries again as soon as
// there is room, as a device does, and never waits otherwise, so a program that stops reading
// shows up as a growing backlog. Counts the text the program is to show for what was sent.
void RunPeer(int controller, const PeerPace& pace, std::atomic<std::int64_t>& sentSoFar,
             std::atomic<std::int64_t>& textSoFar, PeerResult& result) {
    std::vector<unsigned char> buffer(16384);
    const Clock::time_point start = Clock::now();
    const auto length = pace.flatOutFor.value_or(std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(pace.total / pace.bytesPerSecond)));
    bool endPassed = false;
    std::int64_t sent = 0;
    std::int64_t text = 0;
    while (pace.flatOutFor ? Clock::now() - start < length : sent < pace.total) {
        const Clock::time_point now = Clock::now();
        const std::int64_t due =
            pace.flatOutFor
                ? sent + static_cast<std::int64_t>(buffer.size())
                : std::min(pace.total,
                           static_cast<std::int64_t>(Seconds(now - start) * pace.bytesPerSecond));
        ssize_t written = 0;
        if (sent < due) {
            const auto count = static_cast<std::size_t>(
                std::min<std::int64_t>(due - sent, static_cast<std::int64_t>(buffer.size())));
            FillStream(sent, buffer.data(), count);
            written = write(controller, buffer.data(), count);
            if (written > 0) {
                sent += written;
                text += pace.charMode ? std::count_if(buffer.data(), buffer.data() + written,
                                                      [](unsigned char b) { return b != 0; })
                                      : 3 * written;
            }
        }
        sentSoFar.store(sent, std::memory_order_relaxed);
        textSoFar.store(text, std::memory_order_relaxed);
        if (!pace.flatOutFor) {
            result.largestBacklog = std::max(result.largestBacklog, due - sent);
            if (!endPassed && now - start >= length) {
                endPassed = true;
                result.behindAtEnd = pace.total - sent;
            }
        }
        // A program that has stopped reading for this long will not start again.
        if (now - start > length + 30s) {
            result.gaveUp = true;
            break;
        }
        pollfd room{controller, POLLOUT, 0};
        if (written <= 0 && sent < due)
            poll(&room, 1, 1);
        else if (sent >= due)
            std::this_thread::sleep_for(1ms);
    }
    result.sent = sent;
    result.took = Clock::now() - start;
    result.cpuSeconds = ThreadCpuMs() / 1e3;
}

// ---- Tick timing ----

struct TickTimes {
    std::vector<float> wallMs;
    std::vector<float> cpuMs;
    bool recording = false;
};

TickTimes ticks;

void MeasuredTick() {
    const Clock::time_point wallStart = Clock::now();
    const double cpuStart = ThreadCpuMs();
    ReceiveTick();
    if (!ticks.recording || ticks.wallMs.size() == ticks.wallMs.capacity())
        return;
    ticks.wallMs.push_back(static_cast<float>(Milliseconds(Clock::now() - wallStart)));
    ticks.cpuMs.push_back(static_cast<float>(ThreadCpuMs() - cpuStart));
}

double Percentile(std::vector<float> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

// ---- Files ----

void WriteSettings(const fs::path& file, long baud, bool charMode) {
    std::ofstream out(file, std::ios::binary);
    out << "Port = COM" << kPortNumber << "\r\n"
        << "Bauds = " << baud << "\r\n"
        << "InMode = " << (charMode ? 1 : 0) << "\r\n"
        << "WinState = 0\r\n"
        << "Log = 1\r\n"
        << "nLog = 0\r\n"
        << "AutoConnect = 0\r\n";
}

std::vector<fs::path> LogFiles(const fs::path& dir) {
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 10 && name.ends_with("_Tavik.log"))
            logs.push_back(entry.path());
    }
    return logs;
}

std::int64_t LoggedBytes(const fs::path& dir) {
    std::int64_t size = 0;
    std::error_code ignored;
    for (const fs::path& log : LogFiles(dir))
        size += static_cast<std::int64_t>(fs::file_size(log, ignored));
    return size;
}

// The text shown for the bytes: hexadecimal groups, or the bytes themselves without zeros.
void AppendShown(std::string& text, const unsigned char* bytes, std::size_t count, bool charMode) {
    static const char digits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < count; ++i) {
        if (charMode) {
            if (bytes[i] != 0)
                text += static_cast<char>(bytes[i]);
            continue;
        }
        text += {digits[bytes[i] >> 4], digits[bytes[i] & 15], ' '};
    }
}

// Where the log first differs from the text of the stream's first `sent` bytes; nothing when
// they are equal.
std::optional<std::int64_t> FirstDifference(const fs::path& log, std::int64_t sent, bool charMode) {
    std::ifstream in(log, std::ios::binary);
    constexpr std::size_t kBlock = 65536;
    std::vector<unsigned char> bytes(kBlock);
    std::string expected;
    std::string got(kBlock * 3, '\0');
    std::int64_t textPosition = 0;
    for (std::int64_t position = 0; position < sent; position += kBlock) {
        const auto count =
            static_cast<std::size_t>(std::min<std::int64_t>(kBlock, sent - position));
        FillStream(position, bytes.data(), count);
        expected.clear();
        AppendShown(expected, bytes.data(), count, charMode);
        in.read(got.data(), static_cast<std::streamsize>(expected.size()));
        const auto read = static_cast<std::size_t>(in.gcount());
        const auto mismatch = std::mismatch(expected.begin(), expected.begin() + read, got.begin());
        if (mismatch.first != expected.begin() + read || read < expected.size())
            return textPosition + (mismatch.first - expected.begin());
        textPosition += static_cast<std::int64_t>(expected.size());
    }
    if (in.peek() != std::char_traits<char>::eof())
        return textPosition;
    return std::nullopt;
}

// ---- The run inside the scratch directory ----

struct Check {
    std::string what;
    bool passed;
};

struct Options {
    double seconds = 30;
    long baud = 1048576;
    std::optional<double> warmUp;
    bool checkLimits = true;
    bool inScratch = false;
    bool charMode = false;
    bool flatOut = false;
    bool reference = false;
    bool idle = false;
    bool disconnected = false;
};

PeerPace PaceOf(const Options& options) {
    PeerPace pace;
    // A start and a stop bit around each byte.
    pace.bytesPerSecond = static_cast<double>(options.baud) / 10;
    pace.total = static_cast<std::int64_t>(options.seconds * pace.bytesPerSecond);
    if (options.flatOut)
        pace.flatOutFor = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(options.seconds));
    pace.charMode = options.charMode;
    return pace;
}

void PrintPeer(const PeerResult& result, const PeerPace& pace) {
    if (pace.flatOutFor)
        std::printf("bytes sent       %lld in %.2f s flat out: %.2f MB/s\n",
                    static_cast<long long>(result.sent), Seconds(result.took),
                    static_cast<double>(result.sent) / Seconds(result.took) / 1e6);
    else
        std::printf("bytes sent       %lld in %.2f s (largest backlog at the peer %lld bytes, "
                    "%lld behind at the end of the schedule)\n",
                    static_cast<long long>(result.sent), Seconds(result.took),
                    static_cast<long long>(result.largestBacklog),
                    static_cast<long long>(result.behindAtEnd));
}

// The ceiling for comparison: the same stream read by a plain loop of poll and read, without
// formatting, showing or logging; checked byte for byte.
int ReferenceRun(const Options& options) {
    PtyPeer peer;
    termios raw{};
    tcgetattr(peer.device, &raw);
    cfmakeraw(&raw);
    tcsetattr(peer.device, TCSANOW, &raw);
    const PeerPace pace = PaceOf(options);
    std::atomic<std::int64_t> sentSoFar{0};
    std::atomic<std::int64_t> textSoFar{0};
    std::atomic<bool> peerDone{false};
    PeerResult peerResult;
    const double cpuStart = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::thread sender([&] {
        RunPeer(peer.controller, pace, sentSoFar, textSoFar, peerResult);
        peerDone.store(true);
    });
    std::vector<unsigned char> got(65536);
    std::vector<unsigned char> expected(got.size());
    std::int64_t received = 0;
    bool exact = true;
    while (!peerDone.load() || received < sentSoFar.load()) {
        pollfd port{peer.device, POLLIN, 0};
        if (poll(&port, 1, 100) != 1)
            continue;
        const ssize_t n = read(peer.device, got.data(), got.size());
        if (n <= 0)
            continue;
        FillStream(received, expected.data(), static_cast<std::size_t>(n));
        exact = exact && std::equal(got.begin(), got.begin() + n, expected.begin());
        received += n;
    }
    const Clock::duration wall = Clock::now() - start;
    sender.join();
    const double cpu = ProcessCpuSeconds() - cpuStart - peerResult.cpuSeconds;
    std::printf("reference reader (poll and read, nothing shown)\n");
    PrintPeer(peerResult, pace);
    std::printf("processor        %.2f %% of one core (%.2f s in %.2f s)\n",
                cpu / Seconds(wall) * 100, cpu, Seconds(wall));
    std::printf("%s  every byte read, in order\n", exact ? "ok  " : "FAIL");
    return exact ? 0 : 1;
}

// How long the event loop takes to answer an event posted from outside, as a window's input
// waits: a probe every 20 ms.
struct AnswerProbe {
    std::atomic<bool> stop{false};
    std::atomic<std::int64_t> slowestUs{0};
    std::thread thread;

    void Start() {
        thread = std::thread([this] {
            while (!stop.load()) {
                const Clock::time_point posted = Clock::now();
                QMetaObject::invokeMethod(
                    qApp,
                    [this, posted] {
                        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                                            Clock::now() - posted)
                                            .count();
                        slowestUs.store(std::max<std::int64_t>(slowestUs.load(), us));
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(20ms);
            }
        });
    }
    void Stop() {
        stop.store(true);
        if (thread.joinable())
            thread.join();
    }
};

// The program with nothing arriving, its port open or closed: processor time only.
int IdleRun(const Options& options) {
    auto runFor = [](std::chrono::duration<double> length) {
        const Clock::time_point start = Clock::now();
        while (Clock::now() - start < length)
            RunLoopAction(WaitForEvent());
    };
    // Start-up's last work (the window shown, its first paint) is left out.
    runFor(1s);
    const double cpuStart = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    runFor(std::chrono::duration<double>(options.seconds));
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double wall = Seconds(Clock::now() - start);
    std::printf("idle, port %s: %.3f %% of one core (%.3f s in %.1f s)\n",
                SerialPort::IsOpen() ? "open" : "closed", cpu / wall * 100, cpu, wall);
    ShutDown();
    return 0;
}

int Soak(int argc, char** argv, const Options& options) {
    if (options.reference)
        return ReferenceRun(options);
    const double seconds = options.seconds;
    bool checkLimits = options.checkLimits;
    const PeerPace pace = PaceOf(options);
    const fs::path dir = fs::canonical("/proc/self/exe").parent_path();
    WriteSettings(dir / "Setting.ini", options.baud, options.charMode);
    PtyPeer peer;
    fs::create_directory(dir / "ports");
    fs::create_symlink(peer.path, dir / "ports" / ("COM" + std::to_string(kPortNumber)));

    // On a display (Xvfb, say) the window is a real one; without one it is drawn offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    StartUp();
    if (fs::current_path() != dir || GetText(PortCombo) != "COM" + std::to_string(kPortNumber) ||
        terminal.InputMode != (options.charMode ? Char : Hex) || terminal.LogFlag != 1) {
        std::fprintf(stderr, "soak: the program did not start with the soak's settings\n");
        ShutDown();
        return 2;
    }
    if (options.idle && options.disconnected)
        return IdleRun(options);
    SetChecked(ConnectButton, true);
    ToggleConnection();
    if (!SerialPort::IsOpen()) {
        std::fprintf(stderr, "soak: the port did not open\n");
        ShutDown();
        return 2;
    }
    if (options.idle)
        return IdleRun(options);
    BindTimerHandler(MeasuredTick);

    // Room for every tick up front, so that the record itself does not grow memory.
    const auto expectedTicks = static_cast<std::size_t>(seconds * 25 * 2 + 1000);
    ticks.wallMs.reserve(expectedTicks);
    ticks.cpuMs.reserve(expectedTicks);
    ticks.recording = true;
    // The first seconds settle the allocator and fill the view's fixed caches; growth counts
    // from then.
    const auto warmUp =
        std::chrono::duration<double>(options.warmUp.value_or(std::min(5.0, seconds / 6)));
    std::optional<std::int64_t> rssBase;
    std::int64_t receivedBase = 0;

    std::atomic<std::int64_t> sentSoFar{0};
    std::atomic<std::int64_t> textSoFar{0};
    std::atomic<bool> peerDone{false};
    PeerResult peerResult;
    AnswerProbe probe;
    probe.Start();
    const double cpuStart = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::thread sender([&] {
        RunPeer(peer.controller, pace, sentSoFar, textSoFar, peerResult);
        peerDone.store(true);
    });

    bool drained = false;
    std::optional<Clock::time_point> drainDeadline;
    while (!drained) {
        const WindowEvent event = WaitForEvent();
        RunLoopAction(event);
        if (event.type == EventType::Close)
            break;
        if (event.type != EventType::Timer)
            continue;
        const Clock::time_point now = Clock::now();
        if (!rssBase && now - start >= warmUp) {
            rssBase = ResidentBytes();
            receivedBase = LoggedBytes(dir);
        }
        if (peerDone.load()) {
            if (!drainDeadline)
                drainDeadline = now + 10s;
            drained = LoggedBytes(dir) >= textSoFar.load() || now > *drainDeadline;
        }
    }
    const Clock::duration wall = Clock::now() - start;
    sender.join();
    probe.Stop();
    ticks.recording = false;
    const double cpu = ProcessCpuSeconds() - cpuStart - peerResult.cpuSeconds;
    const std::int64_t rssEnd = ResidentBytes();
    const std::int64_t receivedEnd = LoggedBytes(dir);
    ShutDown();

    const std::vector<fs::path> logs = LogFiles(dir);
    std::optional<std::int64_t> difference = textSoFar.load();
    if (logs.size() == 1)
        difference = FirstDifference(logs.front(), peerResult.sent, options.charMode);

    const double cpuShare = cpu / Seconds(wall);
    const std::int64_t rssGrowth = rssEnd - rssBase.value_or(rssEnd);
    // Text logged stands for the bytes received: three characters a byte in hexadecimal.
    const double bytesPerText = options.charMode ? 1 : 3;
    const double rssPerByte =
        static_cast<double>(rssGrowth) * bytesPerText /
        static_cast<double>(std::max<std::int64_t>(1, receivedEnd - receivedBase));
    const double wallP50 = Percentile(ticks.wallMs, 0.50);
    const double wallP99 = Percentile(ticks.wallMs, 0.99);
    const double wallMax = Percentile(ticks.wallMs, 1.0);
    const double cpuP50 = Percentile(ticks.cpuMs, 0.50);
    const double cpuP99 = Percentile(ticks.cpuMs, 0.99);
    const double cpuMax = Percentile(ticks.cpuMs, 1.0);

    std::printf("soak: %.0f s at %.0f bytes/s, %s display, log on, platform %s\n", seconds,
                options.flatOut ? 0.0 : pace.bytesPerSecond,
                options.charMode ? "character" : "hexadecimal",
                qPrintable(QApplication::platformName()));
    PrintPeer(peerResult, pace);
    std::printf("log              %zu file(s), %lld bytes\n", logs.size(),
                static_cast<long long>(LoggedBytes(dir)));
    std::printf("ticks            %zu; wall p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                ticks.wallMs.size(), wallP50, wallP99, wallMax);
    std::printf("                 processor p50 %.3f ms, p99 %.3f ms, max %.3f ms\n", cpuP50,
                cpuP99, cpuMax);
    std::printf("answering        an event posted from outside waited at most %.1f ms\n",
                static_cast<double>(probe.slowestUs.load()) / 1e3);
    std::printf("processor        %.2f %% of one core (%.2f s in %.2f s, the peer's %.2f s left "
                "out)\n",
                cpuShare * 100, cpu, Seconds(wall), peerResult.cpuSeconds);
    std::printf("resident memory  %.3f bytes per byte received (%lld bytes over %lld bytes "
                "after the first %.1f s)\n",
                rssPerByte, static_cast<long long>(rssGrowth),
                static_cast<long long>((receivedEnd - receivedBase) / bytesPerText),
                warmUp.count());

    const std::vector<Check> integrity = {
        {"the peer sent everything",
         !peerResult.gaveUp && (options.flatOut || peerResult.sent == pace.total)},
        {"the log holds the text of every byte sent, once and in order", !difference.has_value()},
    };
    const std::vector<Check> limits = {
        {"the program kept pace with the line (backlog at most 48 KiB)",
         peerResult.largestBacklog <= kMaxBacklog},
        {"tick p99 (processor time) at most 5 ms", cpuP99 <= kMaxTickP99Ms},
        {"at most 5 % of one core", cpuShare <= kMaxCpuShare},
        {"resident memory growth at most 0.1 byte per byte received",
         rssBase.has_value() && rssPerByte <= kMaxRssBytesPerByte},
    };
    bool passed = true;
    for (const Check& check : integrity) {
        std::printf("%s  %s\n", check.passed ? "ok  " : "FAIL", check.what.c_str());
        passed = passed && check.passed;
    }
#ifdef COMTERM_SOAK_ASAN
    // The sanitizer's own work swamps every figure: they are shown, never judged.
    checkLimits = false;
#endif
    for (const Check& check : limits) {
        const char* verdict = check.passed ? "ok  " : (checkLimits ? "FAIL" : "over");
        std::printf("%s  %s%s\n", verdict, check.what.c_str(), checkLimits ? "" : " (reported)");
        passed = passed && (check.passed || !checkLimits);
    }
    if (difference && logs.size() == 1)
        std::printf("the log first differs at byte %lld\n", static_cast<long long>(*difference));
    return passed ? 0 : 1;
}

// ---- The launcher ----

// Runs this program again, with the same arguments, from a link in a fresh directory and
// removes the directory after.
int RunInScratch(int argc, char** argv) {
    std::string name = (fs::temp_directory_path() / "comterm-soak-XXXXXX").string();
    if (!mkdtemp(name.data())) {
        std::perror("soak: mkdtemp");
        return 2;
    }
    const fs::path dir = name;
    const fs::path self = fs::canonical("/proc/self/exe");
    const fs::path copy = dir / self.filename();
    std::error_code linkError;
    fs::create_hard_link(self, copy, linkError);
    if (linkError)
        fs::copy_file(self, copy);

    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // Ended with the launcher, which a test runner's time-out may kill.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const std::string program = copy.string();
        std::vector<char*> arguments = {const_cast<char*>(program.c_str()),
                                        const_cast<char*>(kScratchFlag)};
        arguments.insert(arguments.end(), argv + 1, argv + argc);
        arguments.push_back(nullptr);
        execv(program.c_str(), arguments.data());
        std::perror("soak: exec");
        _exit(127);
    }
    // Ctrl+C ends the run; the launcher stays to remove the directory.
    std::signal(SIGINT, SIG_IGN);
    int status = 0;
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    fs::remove_all(dir);
    if (child < 0) {
        std::perror("soak: fork");
        return 2;
    }
    if (WIFSIGNALED(status)) {
        std::fprintf(stderr, "soak: ended by signal %d\n", WTERMSIG(status));
        return 2;
    }
    return WEXITSTATUS(status);
}

// A number of at least `lowest` from the whole text.
std::optional<double> NumberArgument(const char* text, double lowest) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= lowest))
        return std::nullopt;
    return value;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        std::optional<double> value;
        if (argument == kScratchFlag) {
            options.inScratch = true;
        } else if (argument == kReportLimitsFlag) {
            options.checkLimits = false;
        } else if (argument == "--seconds" && hasValue && (value = NumberArgument(argv[++i], 1))) {
            options.seconds = *value;
        } else if (argument == "--baud" && hasValue && (value = NumberArgument(argv[++i], 10))) {
            options.baud = static_cast<long>(*value);
        } else if (argument == "--warm-up" && hasValue && (value = NumberArgument(argv[++i], 0))) {
            options.warmUp = *value;
        } else if (argument == "--char") {
            options.charMode = true;
        } else if (argument == "--flat-out") {
            options.flatOut = true;
        } else if (argument == "--reference") {
            options.reference = true;
        } else if (argument == "--idle") {
            options.idle = true;
        } else if (argument == "--disconnected") {
            options.disconnected = true;
        } else {
            std::fprintf(stderr, "usage: soak [--seconds N >= 1] [--baud B >= 10] "
                                 "[--warm-up S >= 0] [--report-limits] [--char] [--flat-out] "
                                 "[--reference] [--idle [--disconnected]]\n");
            return 2;
        }
    }
    if (options.warmUp && *options.warmUp >= options.seconds) {
        std::fprintf(stderr, "soak: the warm-up must end before the run does\n");
        return 2;
    }
    return options.inScratch ? Soak(argc, argv, options) : RunInScratch(argc, argv);
}
