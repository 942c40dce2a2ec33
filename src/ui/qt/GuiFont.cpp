#include "ui/qt/GuiFont.h"

#include <QApplication>

QFont DefaultGuiFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    return font;
}

void UseDefaultGuiFont() {
    QApplication::setFont(DefaultGuiFont());
}
