#pragma once
// What assistive tools see of the main window's controls where Qt's own view would mislead:
// buttons, check boxes and option buttons act by clicks, so the program hears them as it hears
// the mouse; the combo boxes keep their names instead of the entry shown; the main window is a
// window.

// Installs the accessibility factory for those controls; more calls change nothing.
void InstallControlAccessibility();
