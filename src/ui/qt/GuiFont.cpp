#include "ui/qt/GuiFont.h"

QFont DefaultGuiFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}
