#include <csignal>
#include <QApplication>

#include "app/Startup.h"
#include "ui/qt/DisplayChoice.h"

int main(int argc, char** argv) {
    // The program takes no command line: Qt sees only the program's name, so none of its own
    // options (-qwindowgeometry, -style, -platform...) can change the window.
    int qtArgumentCount = argc > 0 ? 1 : 0;
    char* qtArguments[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    // A write past the file-size limit fails like any other (the view keeps its text in memory,
    // the log loses what it could not write) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    PreferTheXDisplay();
    QApplication application(qtArgumentCount, qtArguments);
    return RunComterm();
}
