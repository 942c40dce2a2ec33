// The receive view against QPlainTextEdit: appending one 40 ms tick of hexadecimal text (one
// endless paragraph) at growing text sizes with the window shown, resident memory per
// character, and the re-wrap after a width change.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWidget>
#include <string>
#include <unistd.h>
#include <vector>

#include "ui/Cp1251.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/TextFont.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kGiB = std::size_t{1} << 30;
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

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    gStartResident = ResidentBytes();
    Register("ReceiveView/append/1MiB", ReceiveViewAppend, kMiB, 300);
    Register("QPlainTextEdit/append/1MiB", PlainTextEditAppend, kMiB, 5);
    Register("ReceiveView/append/2MiB", ReceiveViewAppend, 2 * kMiB, 300);
    Register("QPlainTextEdit/append/2MiB", PlainTextEditAppend, 2 * kMiB, 5);
    Register("ReceiveView/append/100MiB", ReceiveViewAppend, 100 * kMiB, 300);
    Register("ReceiveView/rewrap/100MiB", ReceiveViewRewrap, 100 * kMiB, 4);
    Register("ReceiveView/memory/1GiB", ReceiveViewMemory, kGiB, 1);
    Register("ReceiveView/append/1GiB", ReceiveViewAppend, kGiB, 300);
    Register("ReceiveView/rewrap/1GiB", ReceiveViewRewrap, kGiB, 2);
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("1MiB");
    reporter.printRatio("2MiB");
    benchmark::Shutdown();
    return 0;
}
