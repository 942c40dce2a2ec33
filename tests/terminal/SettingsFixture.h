#pragma once
// A fresh current directory per test, in which the real hidden window is started as at
// start-up (create, set up, load Setting.ini) and closed as at exit (save, destroy).

#include <QColor>
#include <string>
#include <string_view>

#include <filesystem>
#include <optional>

#include "support/ScratchCurrentDirectory.h"
#include "support/ScratchDirectory.h"
#include "support/SettingsText.h"
#include "support/WindowUnderTest.h"
#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/WindowLayer.h"
#include "ui/Window.h"

// Every CR LF of the text replaced by the given line end.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);

class SettingsTest : public testing::Test {
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

    // Whether the control, given some text, draws it in this colour: some pixel comes as near
    // to the colour as the same text in the control's font comes when drawn in that colour on
    // the control's background. Thin or unhinted glyphs never reach the pure colour, so it is
    // the font itself that tells how near is near.
    bool DrawsTextIn(ControlId id, const QColor& color);

    MainWindowWidget* window() const { return TheMainWindow(); }
    QWidget* control(ControlId id) const { return TheMainWindow()->control(id); }

    // The current directory during the test.
    std::filesystem::path dir;

  private:
    std::optional<ScratchCurrentDirectory> scratch_;
};
