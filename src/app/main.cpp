#include <QApplication>

#include "app/Startup.h"
#include "ui/qt/DisplayChoice.h"
#include "ui/qt/GuiFont.h"

int main(int argc, char** argv) {
    PreferTheXDisplay();
    QApplication application(argc, argv);
    UseDefaultGuiFont();
    return RunComterm();
}
