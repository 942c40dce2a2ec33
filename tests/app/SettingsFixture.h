#pragma once
// A fresh current directory per test, in which the real hidden window is started as at
// start-up (create, set up, load Setting.ini) and closed as at exit (save, destroy).

#include <QColor>
#include <string>
#include <string_view>

#include "../storage/ScratchDirectory.h"
#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/WindowLayer.h"
#include "ui/Window.h"

// Every value of the settings file; the defaults are those of a first start.
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

// The nineteen lines an exit writes for these values.
std::string FileText(const StoredSettings& values);

// Every CR LF of the text replaced by the given line end.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);

class SettingsTest : public ScratchDirectoryTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    void WriteSettingsFile(std::string_view bytes);
    std::string SettingsFileBytes() const;

    // CreateMainWindow, SetUpControls, LoadSettings, in the current directory.
    void Start();
    void StartWith(std::string_view fileBytes);
    // SaveSettings and DestroyMainWindow; returns what Setting.ini then holds.
    std::string Exit();

    void ShowAndActivate();
    // Lets Qt deliver what is posted, then runs the loop's own action for each queued event.
    void RunLoopActions();

    // The window, the controls and the terminal state show exactly these values.
    void ExpectShown(const StoredSettings& values);

    // Whether the control, given some text, draws a pixel of exactly this colour: the stems
    // of the glyphs have the text colour, while any other colour blended with the background
    // never gives it.
    bool DrawsTextIn(ControlId id, const QColor& color);

    MainWindowWidget* window() const { return TheMainWindow(); }
    QWidget* control(ControlId id) const { return TheMainWindow()->control(id); }

  private:
    std::filesystem::path previousDirectory_;
};
