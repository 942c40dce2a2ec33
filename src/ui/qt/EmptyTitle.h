#pragma once

class QWidget;

// Gives a top-level widget an empty title as the window manager reads it. Qt's X11 layer
// titles a window that has no title with the application's name; this replaces that name on
// the native window, which it creates if need be. Call it before the widget is shown. On other
// window systems nothing is done.
void ShowEmptyTitle(QWidget* window);
