// The floor of an idle program: an empty Qt window and a 40 ms timer that does nothing, run
// for the given seconds (default 60); prints the processor time it took, as a share of a core.
//
//     idle_floor [SECONDS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <sys/resource.h>

namespace {

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60;
    QApplication application(argc, argv);
    QWidget window;
    window.resize(420, 304);
    window.show();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [] {});
    tick.start(40);
    // Start-up is left out, as it is for the program.
    QTimer::singleShot(1000, [&] {
        const double cpuStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        QTimer::singleShot(static_cast<int>(seconds * 1000), [&, cpuStart, start] {
            const double cpu = ProcessCpuSeconds() - cpuStart;
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("idle floor: %.3f %% of one core (%.3f s in %.1f s)\n", cpu / wall * 100,
                        cpu, wall);
            application.quit();
        });
    });
    return application.exec();
}
