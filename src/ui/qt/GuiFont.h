#pragma once

#include <QFont>

// The controls' font: 8 pt Liberation Sans fits every caption in its fixed size.
QFont DefaultGuiFont();
void UseDefaultGuiFont();
