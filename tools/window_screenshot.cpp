// Starts the program's window as the program does and saves a picture of it.
// Usage: window-screenshot OUT.png [connected]

#include <cstring>
#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include "app/Startup.h"
#include "ui/ConnectPicture.h"
#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/WindowLayer.h"
#include "ui/Window.h"

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    QApplication application(argc, argv);
    StartUp();
    if (argc > 2 && std::strcmp(argv[2], "connected") == 0) {
        SetChecked(ConnectButton, true);
        ShowConnectionState(true);
    }
    AppendToView(ReceiveView, "41 54 5A 0D 0A 4F 4B 0D 0A ");
    QTimer::singleShot(300, [&] {
        const bool saved = TheMainWindow()->grab().save(QString::fromLocal8Bit(argv[1]));
        ShutDown();
        application.exit(saved ? 0 : 1);
    });
    return application.exec();
}
