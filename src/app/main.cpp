#include <QApplication>

#include "app/Startup.h"
#include "ui/qt/DisplayChoice.h"
#include "ui/qt/GuiFont.h"

int main(int argc, char** argv) {
    // The program takes no command line: Qt sees only the program's name, so none of its own
    // options (-qwindowgeometry, -style, -platform...) can change the window.
    int qtArgumentCount = argc > 0 ? 1 : 0;
    char* qtArguments[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    PreferTheXDisplay();
    QApplication application(qtArgumentCount, qtArguments);
    UseDefaultGuiFont();
    return RunComterm();
}
