#pragma once

#include <QFont>

// The controls' font: 8 pt Liberation Sans fits every caption in its fixed size. Every property
// is the font's own, so that nothing of a desktop's font mixes into it.
QFont DefaultGuiFont();
