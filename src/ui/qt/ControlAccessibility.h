#pragma once
// What assistive tools see of the main window's controls where Qt's own view would mislead:
// buttons, check boxes and option buttons act by clicks, so the program hears them as it hears
// the mouse; the combo boxes keep their names, followed by the entry shown; the main window is a
// window.

class QComboBox;
class QWidget;

// Installs the accessibility factory for those controls; more calls change nothing.
void InstallControlAccessibility();

// Tells clients each new title of the window, wherever the focus is.
void AnnounceTitleChanges(QWidget* window);
// Tells clients that the entry shown, part of the box's name, changed.
void NotifyEntryShown(QComboBox* combo);
// Tells clients which entry of the combo box's list, just opened, is current.
void NotifyListOpened(QComboBox* combo);
