// The receive view against QPlainTextEdit: appending one 40 ms tick of hexadecimal text (one
// endless paragraph) at growing text sizes with the window shown, also with an assistive client
// listening, resident memory per character, the re-wrap after a width change, and the longest
// answers to a client. With --10GiB instead: the view filled with 10 GiB, most of it in its file
// on disk: anonymous memory, appending, jumping to the top, the middle and the end with the
// file's pages dropped from the page cache, and a full re-wrap.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <QAccessible>
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtGui/private/qguiapplication_p.h>
#include <QWidget>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

#include "shared/Cp1251.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/TextFont.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kGiB = std::size_t{1} << 30;
constexpr std::size_t kDiskTextSize = 10 * kGiB;
constexpr std::size_t kTickChars = 12000; // 4000 bytes received in one tick at 1048576 baud
// The receive view's place in the program's window at its default size.
constexpr int kViewWidth = 288;
constexpr int kViewHeight = 100;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::size_t ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// The process's anonymous resident memory (RssAnon): its own data, without files' pages.
std::size_t AnonymousResidentBytes() {
    std::size_t kib = 0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "RssAnon: %zu kB", &kib) == 1)
                break;
        std::fclose(status);
    }
    return kib * 1024;
}

// Free space for the view's file, which goes to the current directory.
std::uint64_t FreeDiskBytes() {
    struct statvfs disk {};
    if (statvfs(".", &disk) != 0)
        return 0;
    return std::uint64_t{disk.f_bavail} * disk.f_frsize;
}

// Writes back and drops from the page cache the pages of every regular file the process holds
// open (the view's file among them), so that the view's next reads go to the disk.
void DropFilePages() {
    DIR* fds = opendir("/proc/self/fd");
    if (!fds)
        return;
    while (const dirent* entry = readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        struct stat file {};
        if (entry->d_name[0] == '.' || fd == dirfd(fds) || fstat(fd, &file) != 0 ||
            !S_ISREG(file.st_mode))
            continue;
        fdatasync(fd);
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    }
    closedir(fds);
}

// Hexadecimal groups "00 01 02 ... FF 00 ..." as the receive pump shows them.
std::string HexGroups(std::size_t chars) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(chars);
    for (std::size_t i = 0; text.size() + 3 <= chars; ++i) {
        text += digits[(i >> 4) & 15];
        text += digits[i & 15];
        text += ' ';
    }
    return text;
}

const std::string& TickChunk() {
    static const std::string chunk = HexGroups(kTickChars);
    return chunk;
}

QFont DefaultTextFont() {
    return QFont(QStringLiteral("Courier"), 12);
}

// A shown top-level window holding the view at the receive view's default size.
template <typename View> struct ShownView {
    ShownView() : view(new View(&window)) {
        window.resize(kViewWidth + 20, kViewHeight + 20);
        view->setGeometry(0, 0, kViewWidth, kViewHeight);
        window.show();
        QApplication::processEvents();
    }
    QWidget window;
    View* view;
};

ShownView<ReceiveViewWidget>& SharedReceiveView() {
    static ShownView<ReceiveViewWidget>* shown = [] {
        auto* created = new ShownView<ReceiveViewWidget>;
        SetTextFontAndColor(created->view, DefaultTextFont(), QColor());
        return created;
    }();
    return *shown;
}

// Fills the view up to chars, letting it lay out and paint as it grows, as the received text
// would; a view holding far more, from an earlier run, starts again empty.
void FillTo(ReceiveViewWidget& view, std::size_t chars) {
    static const std::string block = HexGroups(kMiB);
    if (view.model().size() > 2 * chars)
        view.clear();
    while (view.model().size() + 3 <= chars) { // whole groups only
        view.appendText(view.model().size() + block.size() <= chars
                            ? block
                            : HexGroups(chars - view.model().size()));
        QApplication::processEvents();
    }
    while (view.model().rewrapping())
        QApplication::processEvents();
}

// This thread's processor time, apart from any time it waited for the processor.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void CountP99AndWorst(benchmark::State& state, const std::string& name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    state.counters[name + "p99_ms"] = times[times.size() * 99 / 100] * 1000;
    state.counters[name + "worst_ms"] = times.back() * 1000;
}

// One tick's append followed by the layout and paint it causes, per iteration. The processor
// time tells the view's own work apart from waiting on a busy machine.
void TimeAppends(benchmark::State& state, const std::function<void()>& append) {
    std::vector<double> times;
    std::vector<double> processorTimes;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const double processorStart = ThreadSeconds();
        append();
        QApplication::processEvents();
        processorTimes.push_back(ThreadSeconds() - processorStart);
        times.push_back(Seconds(Clock::now() - start));
        state.SetIterationTime(times.back());
    }
    CountP99AndWorst(state, "", times);
    CountP99AndWorst(state, "cpu_", processorTimes);
}

void ReceiveViewAppend(benchmark::State& state, std::size_t preload) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    FillTo(view, preload);
    TimeAppends(state, [&view] { view.appendText(TickChunk()); });
    state.counters["text_MiB"] = double(view.model().size()) / kMiB;
}

// An assistive client as a screen reader listens: on each insertion it takes the inserted text
// and reads the count and the row at the caret.
void ClientReads(QAccessibleEvent* event) {
    if (event->type() != QAccessible::TextInserted)
        return;
    QAccessibleTextInterface* text = event->accessibleInterface()->textInterface();
    int start = 0;
    int end = 0;
    benchmark::DoNotOptimize(static_cast<QAccessibleTextInsertEvent*>(event)->textInserted());
    benchmark::DoNotOptimize(text->characterCount());
    benchmark::DoNotOptimize(
        text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end));
}

// Accessibility on or off, as the platform switches it when a client comes or goes.
void SetClientListening(bool listening) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(listening);
    QAccessible::installUpdateHandler(listening ? ClientReads : nullptr);
}

void ReceiveViewAppendHeard(benchmark::State& state, std::size_t preload) {
    SetClientListening(true);
    ReceiveViewAppend(state, preload);
    SetClientListening(false);
}

// The longest answers a client can ask for, each with the file's pages dropped first: all the
// text from the start (one answer's length of it) and the paragraph in the middle of the
// endless hexadecimal one (a piece, found by reading on either side). The counters are for
// single answers, wall-clock and processor time.
void ReceiveViewAnswers(benchmark::State& state, std::size_t preload) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    FillTo(view, preload);
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&view)->textInterface();
    std::vector<double> times;
    std::vector<double> processorTimes;
    for (auto _ : state) {
        double iteration = 0;
        for (int request = 0; request < 2; ++request) {
            DropFilePages();
            const Clock::time_point start = Clock::now();
            const double processorStart = ThreadSeconds();
            int begin = 0;
            int end = 0;
            benchmark::DoNotOptimize(
                request == 0 ? text->text(0, -1)
                             : text->textAtOffset(text->characterCount() / 2,
                                                  QAccessible::ParagraphBoundary, &begin, &end));
            processorTimes.push_back(ThreadSeconds() - processorStart);
            times.push_back(Seconds(Clock::now() - start));
            iteration += times.back();
        }
        state.SetIterationTime(iteration);
    }
    CountP99AndWorst(state, "", times);
    CountP99AndWorst(state, "cpu_", processorTimes);
}

// A client asking for the box of all the text, (0, -1): Qt 6.4's bridge takes the character
// count for the end and unites the boxes of the characters up to it, one request each.
void ReceiveViewRangeExtents(benchmark::State& state, std::size_t preload) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    FillTo(view, preload);
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&view)->textInterface();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const int end = text->characterCount();
        QRect box = text->characterRect(0);
        for (int i = 1; i <= end; ++i)
            box = box | text->characterRect(i);
        benchmark::DoNotOptimize(box);
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    state.counters["chars"] = text->characterCount();
}

// What the program did before: put the insertion point at the end, insert without undo.
void PlainTextEditAppend(benchmark::State& state, std::size_t preload) {
    ShownView<QPlainTextEdit> shown;
    QPlainTextEdit& edit = *shown.view;
    edit.setFont(DefaultTextFont());
    edit.setReadOnly(true);
    edit.setUndoRedoEnabled(false);
    edit.setPlainText(QString::fromLatin1(HexGroups(preload)));
    QApplication::processEvents();
    const QString chunk = QString::fromLatin1(TickChunk());
    TimeAppends(state, [&edit, &chunk] {
        edit.moveCursor(QTextCursor::End);
        edit.insertPlainText(chunk);
        edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
    });
}

// Memory: everything the process gained since start-up, over the characters held.
std::size_t gStartResident = 0;

void ReceiveViewMemory(benchmark::State& state, std::size_t chars) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    for (auto _ : state)
        FillTo(view, chars);
    state.counters["text_MiB"] = double(view.model().size()) / kMiB;
    state.counters["bytes_per_char"] =
        double(ResidentBytes() - gStartResident) / double(view.model().size());
}

// A width change, then the event loop until the re-wrap is complete. worst_pass_ms is the
// longest the loop was busy at a stretch, the bound on answering input meanwhile; input_ms
// is how long a key pressed at the start of the re-wrap waited.
void ReceiveViewRewrap(benchmark::State& state, std::size_t preload) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    FillTo(view, preload);
    int widthIndex = 0;
    double worstPass = 0;
    double worstInput = 0;
    for (auto _ : state) {
        view.appendText(std::string()); // an empty selection at the end
        const Clock::time_point start = Clock::now();
        view.resize(++widthIndex % 2 ? kViewWidth + 150 : kViewWidth, kViewHeight);
        worstPass = std::max(worstPass, Seconds(Clock::now() - start));
        QApplication::postEvent(&view,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::ShiftModifier));
        const Clock::time_point keyPosted = Clock::now();
        bool answered = false;
        while (view.model().rewrapping()) {
            const Clock::time_point pass = Clock::now();
            QApplication::processEvents();
            worstPass = std::max(worstPass, Seconds(Clock::now() - pass));
            if (!answered && !view.model().selection().empty()) {
                answered = true;
                worstInput = std::max(worstInput, Seconds(Clock::now() - keyPosted));
            }
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    QApplication::processEvents();
    state.counters["worst_pass_ms"] = worstPass * 1000;
    state.counters["input_ms"] = worstInput * 1000;
    state.counters["text_MiB"] = double(view.model().size()) / kMiB;
}

// ---- 10 GiB ----

// Processor time the host of a virtual machine took from it, all processors together.
double StolenSeconds() {
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0,
                       steal = 0;
    if (FILE* stat = std::fopen("/proc/stat", "r")) {
        if (std::fscanf(stat, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &user, &nice, &system,
                        &idle, &iowait, &irq, &softirq, &steal) != 8)
            steal = 0;
        std::fclose(stat);
    }
    return double(steal) / double(sysconf(_SC_CLK_TCK));
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Anonymous memory: the view holding 10 GiB against the same view empty.
void ReceiveViewDiskFill(benchmark::State& state, std::size_t chars) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    view.clear();
    QApplication::processEvents();
    const std::size_t emptyAnonymous = AnonymousResidentBytes();
    const Clock::time_point start = Clock::now();
    for (auto _ : state)
        FillTo(view, chars);
    state.counters["fill_s"] = Seconds(Clock::now() - start);
    state.counters["text_GiB"] = double(view.model().size()) / kGiB;
    state.counters["in_file_GiB"] =
        double(view.model().bytes().blocksInFile() << view.model().bytes().blockShift()) / kGiB;
    state.counters["anon_above_empty_MiB"] =
        (double(AnonymousResidentBytes()) - double(emptyAnonymous)) / kMiB;
}

// One jump of the scroll bar and the paint it causes, the file's pages dropped first.
double JumpAndPaintMs(ReceiveViewWidget& view, int value) {
    DropFilePages();
    const Clock::time_point start = Clock::now();
    view.verticalScrollBar()->setValue(value);
    view.viewport()->repaint();
    return Milliseconds(Clock::now() - start);
}

// Each iteration jumps to the top, somewhere else in the middle each time, and the end; the
// counters are the slowest of each, the time the sum of the three.
void ReceiveViewDiskJumps(benchmark::State& state, std::size_t chars) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    FillTo(view, chars);
    QScrollBar* bar = view.verticalScrollBar();
    double top = 0;
    double middle = 0;
    double end = 0;
    int iteration = 0;
    for (auto _ : state) {
        const double topMs = JumpAndPaintMs(view, 0);
        const int offset = bar->maximum() / 20 * iteration++;
        const double middleMs = JumpAndPaintMs(view, bar->maximum() / 3 + offset);
        const double endMs = JumpAndPaintMs(view, bar->maximum());
        top = std::max(top, topMs);
        middle = std::max(middle, middleMs);
        end = std::max(end, endMs);
        state.SetIterationTime((topMs + middleMs + endMs) / 1000);
    }
    state.counters["top_ms"] = top;
    state.counters["middle_ms"] = middle;
    state.counters["end_ms"] = end;
}

// The rows on screen are laid out for the view's width: each follows the one before and ends
// where the next starts, and its bytes fit the width, blanks at its end aside, unless it holds
// a single byte; the last one ends at the end of the text.
bool VisibleRowsRight(const ReceiveViewWidget& view, int rowsShown) {
    const TextViewModel& model = view.model();
    const GlyphAdvances& glyphs = model.glyphs();
    const auto top = static_cast<std::uint64_t>(view.verticalScrollBar()->value());
    const std::uint64_t end = std::min(model.rowCount(), top + rowsShown);
    for (std::uint64_t row = top; row < end; ++row) {
        const RowSpan span = model.row(row);
        if (row + 1 < model.rowCount() ? model.row(row + 1).begin != span.end
                                       : span.end != model.size())
            return false;
        const std::string bytes = model.text(span.begin, span.end);
        const std::size_t shown = bytes.find_last_not_of(" \t\r\n") + 1;
        std::int64_t width = 0;
        for (std::size_t i = 0; i < shown; ++i)
            width += AdvanceAt(glyphs, static_cast<unsigned char>(bytes[i]), width);
        if (width > model.width() && shown > 1)
            return false;
    }
    return true;
}

// A width change on 10 GiB with the file's pages dropped, then the event loop until the re-wrap
// is complete, a key (select all) posted at its start: the first time with the view at the end,
// the second with it in the middle. rows_right_ms is when the rows on screen were first right
// for the new width (in the middle: still starting with the text that was at the top),
// input_ms when the key was answered, p99_pass_ms and worst_pass_ms how long the loop was busy
// at a stretch. stolen_s is the time the virtual machine's host kept its processors from it
// meanwhile (all processors together), which makes passes longer than the work they did.
void ReceiveViewDiskRewrap(benchmark::State& state, std::size_t chars) {
    ReceiveViewWidget& view = *SharedReceiveView().view;
    FillTo(view, chars);
    QScrollBar* bar = view.verticalScrollBar();
    const int rowsShown = kViewHeight / QFontMetrics(view.font()).lineSpacing() + 1;
    int iteration = 0;
    std::vector<double> passes;
    double input[2] = {};
    double rowsRight[2] = {};
    const double stealStart = StolenSeconds();
    for (auto _ : state) {
        const bool middle = iteration % 2 == 1;
        view.appendText(std::string()); // an empty selection at the end
        if (middle)
            bar->setValue(bar->maximum() / 2);
        QApplication::processEvents();
        const std::uint64_t topText = view.model().row(std::uint64_t(bar->value())).begin;
        DropFilePages();
        const Clock::time_point start = Clock::now();
        view.resize(iteration % 2 ? kViewWidth : kViewWidth + 150, kViewHeight);
        passes.push_back(Seconds(Clock::now() - start));
        QApplication::postEvent(&view,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier));
        bool answered = false;
        bool right = false;
        while (view.model().rewrapping() || !answered || !right) {
            const Clock::time_point pass = Clock::now();
            QApplication::processEvents();
            passes.push_back(Seconds(Clock::now() - pass));
            if (!answered && !view.model().selection().empty()) {
                answered = true;
                input[middle] = Milliseconds(Clock::now() - start);
            }
            const RowSpan top = view.model().row(std::uint64_t(bar->value()));
            if (!right && VisibleRowsRight(view, rowsShown) &&
                (!middle || (top.begin <= topText && topText < top.end))) {
                right = true;
                rowsRight[middle] = Milliseconds(Clock::now() - start);
            }
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
        ++iteration;
    }
    std::sort(passes.begin(), passes.end());
    state.counters["p99_pass_ms"] = passes[passes.size() * 99 / 100] * 1000;
    state.counters["worst_pass_ms"] = passes.back() * 1000;
    state.counters["stolen_s"] = StolenSeconds() - stealStart;
    state.counters["input_ms"] = input[0];
    state.counters["rows_right_ms"] = rowsRight[0];
    state.counters["middle_input_ms"] = input[1];
    state.counters["middle_rows_right_ms"] = rowsRight[1];
}

// Prints the runs as usual and remembers their mean times for the comparison at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            seconds_[run.run_name.function_name] = run.real_accumulated_time / run.iterations;
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio(const std::string& size) const {
        const auto ours = seconds_.find("ReceiveView/append/" + size);
        const auto theirs = seconds_.find("QPlainTextEdit/append/" + size);
        if (ours != seconds_.end() && theirs != seconds_.end())
            std::printf("QPlainTextEdit / ReceiveView, append at %s: %.0f times slower\n",
                        size.c_str(), theirs->second / ours->second);
    }

  private:
    std::map<std::string, double> seconds_;
};

void Register(const char* name, void (*function)(benchmark::State&, std::size_t), std::size_t size,
              int iterations) {
    benchmark::RegisterBenchmark(name, function, size)
        ->Iterations(iterations)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}
} // namespace

// The 10 GiB set, after checking that the disk can hold its text.
bool RegisterDiskBenchmarks() {
    const std::uint64_t needed = kDiskTextSize + kGiB; // room for the text and a little more
    const std::uint64_t free = FreeDiskBytes();
    char here[4096] = ".";
    if (!getcwd(here, sizeof here))
        std::strcpy(here, ".");
    std::printf("free disk space in %s: %.1f GiB, the 10 GiB benchmark needs %.1f GiB\n", here,
                double(free) / kGiB, double(needed) / kGiB);
    if (free < needed) {
        std::printf("too little free disk space for the 10 GiB benchmark: run it elsewhere\n");
        return false;
    }
    Register("ReceiveView/10GiB/fill", ReceiveViewDiskFill, kDiskTextSize, 1);
    Register("ReceiveView/10GiB/append", ReceiveViewAppend, kDiskTextSize, 300);
    Register("ReceiveView/10GiB/jump", ReceiveViewDiskJumps, kDiskTextSize, 5);
    Register("ReceiveView/10GiB/rewrap", ReceiveViewDiskRewrap, kDiskTextSize, 2);
    Register("ReceiveView/10GiB/range_extents", ReceiveViewRangeExtents, kDiskTextSize, 1);
    return true;
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    gStartResident = ResidentBytes();
    if (argc > 1 && std::strcmp(argv[1], "--10GiB") == 0) {
        if (!RegisterDiskBenchmarks())
            return 1;
        std::copy(argv + 2, argv + argc + 1, argv + 1);
        --argc;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    }
    Register("ReceiveView/append/1MiB", ReceiveViewAppend, kMiB, 300);
    Register("QPlainTextEdit/append/1MiB", PlainTextEditAppend, kMiB, 5);
    Register("ReceiveView/append/2MiB", ReceiveViewAppend, 2 * kMiB, 300);
    Register("QPlainTextEdit/append/2MiB", PlainTextEditAppend, 2 * kMiB, 5);
    Register("ReceiveView/append/100MiB", ReceiveViewAppend, 100 * kMiB, 300);
    Register("ReceiveView/rewrap/100MiB", ReceiveViewRewrap, 100 * kMiB, 4);
    Register("ReceiveView/memory/1GiB", ReceiveViewMemory, kGiB, 1);
    Register("ReceiveView/append/1GiB", ReceiveViewAppend, kGiB, 300);
    Register("ReceiveView/append_heard/1GiB", ReceiveViewAppendHeard, kGiB, 300);
    Register("ReceiveView/answer/1GiB", ReceiveViewAnswers, kGiB, 10);
    Register("ReceiveView/range_extents/1GiB", ReceiveViewRangeExtents, kGiB, 1);
    Register("ReceiveView/rewrap/1GiB", ReceiveViewRewrap, kGiB, 2);
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("1MiB");
    reporter.printRatio("2MiB");
    benchmark::Shutdown();
    return 0;
}
