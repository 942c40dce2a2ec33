// Writes the program's icon for the desktop's icon theme, at the sizes themes usually hold:
// DIR/hicolor/<n>x<n>/apps/comterm.png. Usage: desktop-icons DIR

#include <cstdio>
#include <QDir>
#include <QImage>

#include "ui/qt/AppIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: desktop-icons DIR\n");
        return 2;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(argv[1]).arg(size);
        if (!QDir().mkpath(folder) || !AppIconImage(size).save(folder + "/comterm.png")) {
            std::fprintf(stderr, "cannot write the icon into %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
