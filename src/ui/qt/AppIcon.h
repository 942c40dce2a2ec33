#pragma once

#include <QIcon>

// The program's own 32 x 32 icon: a serial connector.
QIcon AppIcon();
