#pragma once
// The settings file's values and the exact text an exit writes for them, shared by the tests
// that start the window in-process and those that run the built program.

#include <string>

// Every value of the settings file, named as its key; the defaults are those of a first start.
struct StoredSettings {
    std::string Port;
    std::string Bauds = "9600";
    int InMode = 1;
    int WinState = 1;
    int Pos = 92;
    int Log = 0;
    int nLog = 0;
    int Transparent = 255;
    int AutoConnect = 0;
    std::string Name = "Courier";
    int Size = 12;
    int Style = 0;
    int Color = 0;
    int x = 100, y = 100, w = 420, h = 304;
};

// The nineteen lines an exit writes for these values, each ending in CR LF.
std::string FileText(const StoredSettings& values);
