#pragma once
// The program's settings in "Setting.ini" beside it: applied at start-up, saved at exit.

void LoadSettings();
void SaveSettings();
