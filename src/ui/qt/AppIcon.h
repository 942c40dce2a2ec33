#pragma once

#include <QIcon>
#include <QImage>

// The program's own icon, a serial connector, drawn at size x size pixels on a transparent
// ground; its design is 32 x 32 units.
QImage AppIconImage(int size);

// The window's icon: the drawing at the sizes a window manager shows.
QIcon AppIcon();
